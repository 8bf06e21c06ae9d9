/*
 * mirvo_effect.hpp - an effect as one small C++ class, made into a module by one line.
 *
 *   class colorcycle : public mirvo::effect {
 *   public:
 *       colorcycle(SDL_Surface *s, const mirvo_value *values) : effect(s) { ... }
 *       void draw() override { ... finished(); ... }
 *       bool set(int index, mirvo_value value, std::string &why) override { ... }
 *   };
 *   MIRVO_EFFECT_CLASS(colorcycle, colorcycle, "1.0", "one line", 0, colorcycle_params);
 *
 * The constructor gets one value per catalogue entry, checked against the catalogue; it
 * throws (std::runtime_error and the like) when the effect cannot start, and the message
 * is the reason the host is given. draw() draws one frame on surface(); once the effect
 * has finished it calls finished() instead, which calls the host's restart callback. set()
 * changes a parameter while the effect runs (false with `why` when it cannot; the default
 * refuses every change, so a host starts the effect again). Texts the class keeps are
 * copied into its own strings. No exception leaves the module. A class that can draw the
 * frame of any step (see draw_step in mirvo_effect.h) has `long draw_step(long step)`
 * and is made a module by MIRVO_EFFECT_CLASS_STEPPED, with the same arguments.
 */
#ifndef MIRVO_EFFECT_HPP
#define MIRVO_EFFECT_HPP

#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "mirvo_effect.h"

namespace mirvo {

class effect {
public:
    explicit effect(SDL_Surface *s) : surface_(s) { }
    virtual ~effect() = default;
    effect(const effect &) = delete;
    effect &operator=(const effect &) = delete;

    virtual void draw() = 0;
    virtual bool set(int index, mirvo_value value, std::string &why)
    {
        why = "parameter " + std::to_string(index) + " cannot change while the effect runs";
        (void)value;
        return false;
    }

    SDL_Surface *surface() const
    {
        return surface_;
    }
    // Tells the host the effect has finished (its restart callback, when it gave one).
    void finished()
    {
        if (restart_)
            restart_(host_data_);
    }

    // For the module's glue (MIRVO_EFFECT_CLASS).
    void connect(mirvo_instance_restart_fn restart, void *host_data)
    {
        restart_ = restart;
        host_data_ = host_data;
    }

private:
    SDL_Surface *surface_;
    mirvo_instance_restart_fn restart_ = nullptr;
    void *host_data_ = nullptr;
};

// The four functions MIRVO_EFFECT wants, over a class derived from mirvo::effect.
template <class Effect> struct effect_glue {
    static mirvo_instance *make(SDL_Surface *s, mirvo_instance_restart_fn restart, void *host_data,
                                const mirvo_value *values, char *why, size_t why_size)
    {
        try {
            if (!s)
                throw std::runtime_error("no target surface");
            Effect *fx = new Effect(s, values);
            fx->connect(restart, host_data);
            return reinterpret_cast<mirvo_instance *>(static_cast<effect *>(fx));
        } catch (const std::bad_alloc &) {
            snprintf(why, why_size, "out of memory");
        } catch (const std::exception &e) {
            snprintf(why, why_size, "%s", e.what());
        } catch (...) {
            snprintf(why, why_size, "the effect could not start");
        }
        return nullptr;
    }
    static void draw(mirvo_instance *fx)
    {
        try {
            reinterpret_cast<effect *>(fx)->draw();
        } catch (...) {
            /* a frame that fails is left as it is */
        }
    }
    static int set(mirvo_instance *fx, int index, mirvo_value value, char *why, size_t why_size)
    {
        try {
            std::string reason;
            if (reinterpret_cast<effect *>(fx)->set(index, value, reason))
                return 1;
            snprintf(why, why_size, "%s", reason.c_str());
        } catch (const std::exception &e) {
            snprintf(why, why_size, "%s", e.what());
        } catch (...) {
            snprintf(why, why_size, "the change failed");
        }
        return 0;
    }
    static void release(mirvo_instance *fx)
    {
        delete reinterpret_cast<effect *>(fx);
    }
    // The class's own `long draw_step(long step)` (MIRVO_EFFECT_CLASS_STEPPED); a step that
    // throws is left as it is.
    static long draw_step(mirvo_instance *fx, long step)
    {
        try {
            return static_cast<Effect *>(reinterpret_cast<effect *>(fx))->draw_step(step);
        } catch (...) {
            return 0;
        }
    }
};

}  // namespace mirvo

/* Makes a module of class `cls` (derived from mirvo::effect) under the effect name
 * `module`, with its catalogue `params` (an array of mirvo_param). */
#define MIRVO_EFFECT_CLASS(module, cls, version, description, filter, params)                      \
    MIRVO_EFFECT(module, version, description, filter, params, mirvo::effect_glue<cls>::make,      \
                 mirvo::effect_glue<cls>::draw, mirvo::effect_glue<cls>::set,                      \
                 mirvo::effect_glue<cls>::release, nullptr, 0)

/* The same for a class that also draws the frame of any step (the descriptor's draw_step):
 * it has a member `long draw_step(long step)`. */
#define MIRVO_EFFECT_CLASS_STEPPED(module, cls, version, description, filter, params)              \
    MIRVO_EFFECT_STEPPED(module, version, description, filter, params,                             \
                         mirvo::effect_glue<cls>::make, mirvo::effect_glue<cls>::draw,             \
                         mirvo::effect_glue<cls>::set, mirvo::effect_glue<cls>::release, nullptr,  \
                         0, mirvo::effect_glue<cls>::draw_step)

#endif /* MIRVO_EFFECT_HPP */
