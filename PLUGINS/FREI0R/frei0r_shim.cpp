/*
 * frei0rshim.cpp - the frei0r module a host loads (e.g. frei0r-1/wavetext.so). It holds
 * no effect code: it opens the effect's implementation, mirvo-impl/NAME.so beside it, in
 * a link-map namespace of its own (dlmopen), so that the implementation and the
 * libraries it brings (libMIRVO, SDL 1.2, SDL_image) are fresh copies bound only to each
 * other. Binding to the host's symbols breaks them: ffmpeg links SDL 2, whose functions
 * share SDL 1.2's names but not its structures, and MLT loads SDL 1.2 and SDL 2 itself,
 * so that its SDL 1.2 calls its own functions through SDL 2's. The shim forwards every
 * f0r_* call to the implementation's mirvo_f0r_* twin, and tells it how the host lays
 * out the rows of its frames.
 */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE /* dlmopen */
#endif
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

extern "C" {
#include <frei0r.h>
}

#ifndef MIRVO_FREI0R_NAME
#error "MIRVO_FREI0R_NAME must name the effect"
#endif

#define EXPORT extern "C" __attribute__((visibility("default")))

static void *shim_impl = nullptr;  /* the implementation, once opened */
static bool shim_failed = false;   /* opening it failed: not tried again */

/* The implementation's entry points. */
static struct {
    int (*init)(void);
    void (*deinit)(void);
    void (*get_plugin_info)(f0r_plugin_info_t *);
    void (*get_param_info)(f0r_param_info_t *, int);
    f0r_instance_t (*construct)(unsigned int, unsigned int, size_t);
    void (*destruct)(f0r_instance_t);
    void (*set_param_value)(f0r_instance_t, f0r_param_t, int);
    void (*get_param_value)(f0r_instance_t, f0r_param_t, int);
    void (*update)(f0r_instance_t, double, const uint32_t *, uint32_t *);
} shim;

/* Looks up one entry point of the implementation; false (with dlerror's line) when missing. */
template <typename Function>
static bool shim_bind(Function &fn, const char *name)
{
    fn = reinterpret_cast<Function>(dlsym(shim_impl, name));
    if (!fn)
        fprintf(stderr, MIRVO_FREI0R_NAME ": %s\n", dlerror());
    return fn != nullptr;
}

/* Opens the implementation beside this module, once; true when it is ready. */
static bool shim_load(void)
{
    if (shim_impl)
        return true;
    if (shim_failed)
        return false;
    shim_failed = true;
    Dl_info self;
    if (!dladdr(reinterpret_cast<void *>(&shim_load), &self) || !self.dli_fname)
        return false;
    const char *const slash = strrchr(self.dli_fname, '/');
    char path[4096];
    snprintf(path, sizeof path, "%.*s/mirvo-impl/" MIRVO_FREI0R_NAME ".so",
             slash ? int(slash - self.dli_fname) : 1, slash ? self.dli_fname : ".");
    shim_impl = dlmopen(LM_ID_NEWLM, path, RTLD_NOW | RTLD_LOCAL);
    if (!shim_impl) {
        fprintf(stderr, MIRVO_FREI0R_NAME ": %s\n", dlerror());
        return false;
    }
    if (!shim_bind(shim.init, "mirvo_f0r_init") ||
        !shim_bind(shim.deinit, "mirvo_f0r_deinit") ||
        !shim_bind(shim.get_plugin_info, "mirvo_f0r_get_plugin_info") ||
        !shim_bind(shim.get_param_info, "mirvo_f0r_get_param_info") ||
        !shim_bind(shim.construct, "mirvo_f0r_construct_pitched") ||
        !shim_bind(shim.destruct, "mirvo_f0r_destruct") ||
        !shim_bind(shim.set_param_value, "mirvo_f0r_set_param_value") ||
        !shim_bind(shim.get_param_value, "mirvo_f0r_get_param_value") ||
        !shim_bind(shim.update, "mirvo_f0r_update")) {
        dlclose(shim_impl);
        shim_impl = nullptr;
        return false;
    }
    shim_failed = false;
    return true;
}

EXPORT int f0r_init(void)
{
    return shim_load() ? shim.init() : 0;
}

EXPORT void f0r_deinit(void)
{
    if (shim_load())
        shim.deinit();
}

EXPORT void f0r_get_plugin_info(f0r_plugin_info_t *info)
{
    if (shim_load()) {
        shim.get_plugin_info(info);
        return;
    }
    memset(info, 0, sizeof *info);
    info->name = MIRVO_FREI0R_NAME;
    info->author = "Mirvo";
    info->frei0r_version = FREI0R_MAJOR_VERSION;
    info->explanation = "(its implementation could not be loaded)";
}

EXPORT void f0r_get_param_info(f0r_param_info_t *info, int param_index)
{
    if (shim_load())
        shim.get_param_info(info, param_index);
}

/*
 * The bytes from one row of the host's frames to the next. A frei0r frame has none to
 * spare: a row is width x 4 bytes, as MLT hands it over at any size. ffmpeg's frei0r
 * filters (in libavfilter) hand over ffmpeg's own frames instead, whose rows are padded:
 * libavfilter 8 (ffmpeg 5) pads each row to av_cpu_max_align() bytes (64 with AVX-512).
 * The caller's library tells which host this is. Returns 0, with one line on stderr,
 * for a width whose rows cannot be known.
 */
static size_t shim_host_pitch(unsigned int width, const void *caller)
{
    const size_t row = size_t(width) * 4;
    Dl_info where;
    if (!dladdr(caller, &where) || !where.dli_fname || !strstr(where.dli_fname, "libavfilter"))
        return row;
    void *const avfilter = dlopen(where.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    using version_fn = unsigned (*)(void);
    using align_fn = size_t (*)(void);
    const version_fn avfilter_version =
        avfilter ? reinterpret_cast<version_fn>(dlsym(avfilter, "avfilter_version")) : nullptr;
    const align_fn av_cpu_max_align =
        avfilter ? reinterpret_cast<align_fn>(dlsym(avfilter, "av_cpu_max_align")) : nullptr;
    const unsigned major = avfilter_version ? avfilter_version() >> 16 : 0;
    if (avfilter)
        dlclose(avfilter);
    if (major == 8 && av_cpu_max_align) {
        const size_t align = av_cpu_max_align();
        if (align >= 4 && (align & (align - 1)) == 0)
            return (row + align - 1) & ~(align - 1);
    }
    /* Another libavfilter: its rows are padded to at most 64 bytes. */
    if (row % 64 == 0)
        return row;
    fprintf(stderr,
            MIRVO_FREI0R_NAME ": ffmpeg (libavfilter %u) pads the rows of a frame %u pixels "
            "wide: use a width that is a multiple of 16\n",
            major, width);
    return 0;
}

EXPORT f0r_instance_t f0r_construct(unsigned int width, unsigned int height)
{
    if (!shim_load())
        return nullptr;
    const size_t pitch = shim_host_pitch(width, __builtin_return_address(0));
    return pitch ? shim.construct(width, height, pitch) : nullptr;
}

EXPORT void f0r_destruct(f0r_instance_t instance)
{
    if (shim_load())
        shim.destruct(instance);
}

EXPORT void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    if (shim_load())
        shim.set_param_value(instance, param, param_index);
}

EXPORT void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index)
{
    if (shim_load())
        shim.get_param_value(instance, param, param_index);
}

EXPORT void f0r_update(f0r_instance_t instance, double time, const uint32_t *inframe,
                       uint32_t *outframe)
{
    if (shim_load())
        shim.update(instance, time, inframe, outframe);
}
