// page.js - the page around mirvo-web.wasm: plays rasterwave or a chain of effects, builds a
// control for every parameter from the effects' own catalogue, applies a changed value only
// when the effect accepts it, paces the frames on the browser's animation frames, scales the
// canvas to the window and keeps the whole state in the address.
//
// The address: ?play=WORDS as on mirvo-play's command line, words separated by spaces
// ("wavetext amplitude=60 + boxflood 0 8"); a word holding spaces is written in double
// quotes ("text=HELLO WORLD" or text="HELLO WORLD", \" and \\ inside). ?exact=1 keeps
// texts as typed, ?paused=1 starts paused. The page rewrites it as the state changes.
// For tests and benchmarks the page sets window.mirvo (see the end of this file).
'use strict';

(function () {
  const $ = id => document.getElementById(id);
  const canvas = $('screen');
  const context = canvas.getContext('2d');
  const status = $('status');
  const fpsText = $('fps');

  const FRAME_MS = 20;  // 50 frames a second, the native programs' pace
  const EARLY_MS = 2;  // a frame is drawn at the first animation frame at most this early
  const CATCH_UP = 3;  // frames drawn at most in one animation frame
  const STALL_MS = 250;  // after a longer gap the schedule starts afresh instead of racing
  const RATE_WINDOW_MS = 1000;  // the read-out counts the frames of the last second
  const SCREEN = { width: 640, height: 480 };  // the effects' screen

  function say(text, isError) {
    status.textContent = text;
    status.className = isError ? 'error' : '';
  }

  // A value in a message, quoted so that an empty text or spaces show.
  const quoted = v => '\u201c' + v + '\u201d';

  if (location.protocol === 'file:') {
    say('This page has to be served, not opened as a file: run tools/web.sh --serve and ' +
        'open http://127.0.0.1:8000/ in the browser.', true);
    return;
  }

  // Frames put on the canvas, and when (the page's clock); times older than the read-out's
  // window are dropped.
  const drawn = { count: 0, times: [] };
  let image = null;
  function present(pixels, width, height) {
    if (!image || image.width !== width || image.height !== height) {
      canvas.width = width;
      canvas.height = height;
      image = context.createImageData(width, height);
      fit();
    }
    image.data.set(pixels);
    context.putImageData(image, 0, 0);
    drawn.count++;
    drawn.times.push(performance.now());
  }

  // The canvas as large as the room for it allows: a whole number of device pixels per
  // picture pixel where one fits, else shrunk to fit. Beside the controls (page.css: two
  // columns from 60rem on) it leaves them 20rem.
  const stage = $('stage');
  const oneColumn = window.matchMedia('(max-width: 60rem)');
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const full = document.fullscreenElement === stage;
    const rem = parseFloat(getComputedStyle(document.documentElement).fontSize);
    const width = document.documentElement.clientWidth;
    const room = full ? window.innerWidth - 16 : width - 2 * rem - (oneColumn.matches ? 0 : 21 * rem);
    const below = $('below').offsetHeight;
    // Below the page's title when the page is at its top; in full screen, the whole screen.
    const above = full ? 16 : Math.max(stage.getBoundingClientRect().top + window.scrollY, 0) + 8;
    const height = Math.max(window.innerHeight - above - below, 160);
    const w = canvas.width, h = canvas.height;
    const most = Math.min(room * ratio / w, height * ratio / h);
    const scale = most >= 1 ? Math.floor(most) / ratio : most / ratio;
    canvas.style.width = Math.floor(w * scale) + 'px';
    canvas.style.height = Math.floor(h * scale) + 'px';
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', () => {
    $('fullscreen').textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
    fit();
  });

  createMirvo({ present: present, print: t => console.log(t), printErr: t => console.warn(t) })
    .then(M => start(M))
    .catch(e => say('The program could not be loaded (' + e + '). Serve the page with ' +
                    'tools/web.sh --serve and open http://127.0.0.1:8000/.', true));

  // "slice_width" -> "Slice width".
  const humane = name => name.charAt(0).toUpperCase() + name.slice(1).replace(/_/g, ' ');

  // Words of the address: spaces separate, double quotes keep spaces in a word.
  function splitWords(text) {
    const words = [];
    let word = null, quote = false;
    for (let i = 0; i < text.length; i++) {
      const c = text[i];
      if (quote && c === '\\' && i + 1 < text.length) {
        word += text[++i];
      } else if (c === '"') {
        quote = !quote;
        word = word === null ? '' : word;
      } else if (!quote && /\s/.test(c)) {
        if (word !== null) words.push(word);
        word = null;
      } else {
        word = (word === null ? '' : word) + c;
      }
    }
    if (word !== null) words.push(word);
    return words;
  }
  function joinWords(words) {
    return words.map(w => {
      if (w !== '' && !/[\s"\\]/.test(w)) return w;
      const eq = w.indexOf('=');
      const esc = s => '"' + s.replace(/[\\"]/g, c => '\\' + c) + '"';
      return eq > 0 ? w.slice(0, eq + 1) + esc(w.slice(eq + 1)) : esc(w);
    }).join(' ');
  }

  function start(M) {
    const call = (name, ret, types, args) => M.ccall(name, ret, types, args);
    const lastError = () => call('web_error', 'string', [], []);
    const catalogue = JSON.parse(call('web_catalogue', 'string', [], []));
    const byModule = {};
    for (const m of catalogue) byModule[m.module] = m;
    const sequence = () => JSON.parse(call('web_sequence', 'string', [], []));

    // What the page shows; the address holds it all. A chain entry's values are the ones
    // the effect accepted that differ from its defaults, written as on a command line.
    const state = { program: 'rasterwave', chain: [], exact: false, paused: false };
    let running = false;  // a program plays (false: nothing is drawn)
    let problem = '';  // why nothing is drawn

    // The frames, paced on the browser's animation frames: nothing runs while paused,
    // stopped or hidden.
    let animation = 0, due = 0, shownAt = 0, playingIndex = -1;
    const wanted = () => running && !state.paused && !document.hidden;
    function schedule() {
      if (wanted() && !animation) {
        due = performance.now();
        animation = requestAnimationFrame(tick);
      } else if (!wanted() && animation) {
        cancelAnimationFrame(animation);
        animation = 0;
      }
      readOut();
    }
    function tick() {
      animation = 0;
      if (!wanted()) return;
      const now = performance.now();
      if (now - due > STALL_MS) due = now;
      for (let n = 0; n < CATCH_UP && now >= due - EARLY_MS; n++) {
        call('web_frame', null, [], []);
        due += FRAME_MS;
      }
      if (now - shownAt > 250) readOut();
      animation = requestAnimationFrame(tick);
    }
    document.addEventListener('visibilitychange', () => {
      drawn.times = [];
      schedule();
    });

    // The read-out says what is drawn: the rate over the last second, or why nothing is.
    function readOut() {
      const now = performance.now();
      shownAt = now;
      const t = drawn.times;
      while (t.length && t[0] < now - RATE_WINDOW_MS) t.shift();
      const frame = call('web_frame_number', 'number', [], []);
      let text;
      if (!running) text = 'Nothing drawn' + (problem ? ': ' + problem : '');
      else if (document.hidden) text = 'Nothing drawn while the page is hidden';
      else if (state.paused) text = 'Paused at frame ' + frame;
      else if (t.length < 2) text = 'Starting';
      else text = ((t.length - 1) * 1000 / (t[t.length - 1] - t[0])).toFixed(1) + ' frames per second';
      if (fpsText.textContent !== text) fpsText.textContent = text;
      if (running && state.program === 'effects') markPlaying(sequence().current);
    }

    function markPlaying(index) {
      if (index === playingIndex) return;
      playingIndex = index;
      document.querySelectorAll('#entries fieldset').forEach((set, i) => {
        set.classList.toggle('playing', i === index);
        if (i === index) set.setAttribute('aria-current', 'true');
        else set.removeAttribute('aria-current');
        set.querySelector('.now').textContent = i === index ? 'playing now' : '';
      });
    }

    function chainWords() {
      const words = [];
      state.chain.forEach((e, i) => {
        if (i) words.push('+');
        words.push(e.module);
        for (const [name, value] of Object.entries(e.values)) words.push(name + '=' + value);
      });
      return words;
    }

    function writeAddress() {
      const q = new URLSearchParams();
      q.set('play', state.program === 'rasterwave' ? 'rasterwave' : joinWords(chainWords()));
      if (state.exact) q.set('exact', '1');
      if (state.paused) q.set('paused', '1');
      history.replaceState(null, '', '?' + q.toString());
    }

    // The accepted values of chain entry `index` that differ from the effect's defaults.
    function changedValues(index, entry) {
      const values = {};
      const accepted = sequence().entries[index].values;
      for (const p of byModule[entry.module].params)
        if (String(accepted[p.name]) !== String(p.default)) values[p.name] = String(accepted[p.name]);
      return values;
    }

    function describe(names) {
      return state.program === 'rasterwave' ? 'rasterwave' : names.join(', then ');
    }

    // Starts `words` and draws its first frame at once, paused or not. '' or why not.
    function run(words) {
      playingIndex = -1;
      drawn.times = [];
      if (call('web_play', 'number', ['string', 'number', 'number', 'number'],
               [words.join('\n'), state.exact ? 1 : 0, SCREEN.width, SCREEN.height])) {
        running = false;
        return lastError();
      }
      running = true;
      problem = '';
      call('web_frame', null, [], []);
      return '';
    }

    function blank(why) {
      call('web_play', 'number', ['string', 'number', 'number', 'number'], ['', 0, 0, 0]);
      running = false;
      problem = why;
      context.fillStyle = '#000';
      context.fillRect(0, 0, canvas.width, canvas.height);
    }

    // Plays what the state says and says so.
    function playState(message) {
      let error = '';
      if (state.program === 'effects' && !state.chain.length) {
        blank('the chain is empty');
        say(message || 'The chain is empty: add an effect to see a picture.');
      } else {
        error = run(state.program === 'rasterwave' ? ['rasterwave'] : chainWords());
        if (error) {
          blank('the chain was refused');
          say('Not played: ' + error, true);
        } else {
          const names = state.chain.map(e => e.module);
          say(message || (state.paused ? 'Paused: ' : 'Playing ') + describe(names) + '.');
          canvas.setAttribute('aria-label', 'The picture ' + describe(names) + ' draws');
        }
      }
      $('chain').hidden = state.program !== 'effects';
      $('program').value = state.program;
      $('exact').checked = state.exact;
      showChain();
      writeAddress();
      schedule();
      return !error;
    }

    // Changes one value of the running chain; the entry keeps what the effect accepted.
    function setParam(index, name, value) {
      const entry = state.chain[index];
      if (!running || !entry) return 'nothing plays';
      if (call('web_set_param', 'number', ['number', 'string', 'string'], [index, name, String(value)]))
        return lastError();
      entry.values = changedValues(index, entry);
      writeAddress();
      return '';
    }

    // Controls ---------------------------------------------------------------------------

    let fieldIds = 0;
    function make(tag, props, ...children) {
      const el = document.createElement(tag);
      Object.assign(el, props || {});
      el.append(...children);
      return el;
    }

    // The parameter as the catalogue describes it, with what the page makes of a missing
    // description: a name turned into words, a number slider as far as the screen reaches.
    function field(p) {
      const choices = p.choices || listedChoices(p);
      const control = p.control || (choices ? 'choice' : p.type === 'text' ? 'text' : 'number');
      let top = p.max;
      if (control === 'number' && p.max > Math.max(SCREEN.width, SCREEN.height))
        top = Number(p.default) > SCREEN.height ? SCREEN.width : SCREEN.height;
      return { label: p.label || humane(p.name), control, choices, top, unit: p.unit || '' };
    }

    // A number whose help names each of its values ("1 grows from the centre, 0 shrinks
    // to the centre") is a choice between them.
    function listedChoices(p) {
      if (p.type !== 'number' || !/^\d+ [^,\d]+(, \d+ [^,\d]+)+$/.test(p.help)) return null;
      return p.help.split(', ').map(part => {
        const space = part.indexOf(' ');
        return { value: Number(part.slice(0, space)), label: humane(part.slice(space + 1)) };
      });
    }

    // One row: label, input(s), help as text, and a line for a refused value.
    function row(entryIndex, names, labelText, help, build) {
      const id = 'f' + (++fieldIds);
      const box = make('div', { className: 'param' });
      const label = make('label', { htmlFor: id, className: 'name' }, labelText);
      const helpText = make('p', { className: 'help', id: id + '-help' }, help);
      const note = make('p', { className: 'note', id: id + '-note', role: 'alert' });
      const inputs = make('div', { className: 'inputs' });
      // Applies `pairs` ([name, value]...) and says what happened beside the field.
      const apply = (pairs, shown, fields) => {
        for (const [name, value] of pairs) {
          const error = setParam(entryIndex, name, value);
          const failed = !!error;
          fields.forEach(f => f.setAttribute('aria-invalid', failed ? 'true' : 'false'));
          box.classList.toggle('refused', failed);
          if (failed) {
            const kept = state.chain[entryIndex] ? current(entryIndex, name) : '';
            fields.forEach(f => { if (f.type === 'range') f.value = kept; });
            note.textContent = 'Not applied: ' + error + '. Still playing ' + quoted(kept) + '.';
            say(labelText + ': ' + quoted(value) + ' was refused; the chain plays on unchanged.', true);
            return;
          }
        }
        note.textContent = '';
        say(state.chain[entryIndex].module + ': ' + labelText.toLowerCase() + ' is now ' + quoted(shown) + '.');
      };
      build(inputs, id, apply);
      inputs.querySelectorAll('input, select').forEach(el => {
        el.setAttribute('aria-describedby', id + '-help ' + id + '-note');
        el.dataset.param = names.join(' ');
      });
      box.append(label, inputs, helpText, note);
      return box;
    }

    function current(entryIndex, name) {
      const entry = state.chain[entryIndex];
      if (entry.values[name] !== undefined) return entry.values[name];
      return String(byModule[entry.module].params.find(p => p.name === name).default);
    }

    function paramControl(entryIndex, p) {
      const f = field(p);
      const value = current(entryIndex, p.name);
      return row(entryIndex, [p.name], f.label + (f.unit ? ' (' + f.unit + ')' : ''), p.help, (inputs, id, apply) => {
        if (f.control === 'choice') {
          const select = make('select', { id: id });
          for (const c of f.choices) select.append(new Option(c.label, String(c.value), false, String(c.value) === value));
          select.addEventListener('change', () => apply([[p.name, select.value]],
                                                        select.selectedOptions[0].text, [select]));
          inputs.append(select);
        } else if (f.control === 'number') {
          const box = make('input', { id: id, type: 'number', min: p.min, max: p.max, value: value,
                                      inputMode: 'numeric' });
          const fields = [box];
          if (f.top - p.min <= 4096) {
            const slider = make('input', { type: 'range', min: p.min, max: f.top, value: value });
            slider.setAttribute('aria-label', f.label);
            slider.addEventListener('input', () => { box.value = slider.value; });
            slider.addEventListener('change', () => apply([[p.name, slider.value]], slider.value, fields));
            box.addEventListener('input', () => { slider.value = box.value; });
            inputs.append(slider);
            fields.push(slider);
          }
          box.addEventListener('change', () => apply([[p.name, box.value.trim()]], box.value.trim(), fields));
          inputs.append(box);
        } else {
          const text = make('input', { id: id, type: 'text', value: value, spellcheck: false });
          text.addEventListener('change', () => apply([[p.name, text.value]], text.value, [text]));
          inputs.append(text);
        }
      });
    }

    // Three numbers named red, green and blue (or marked as a colour) are one colour.
    function colourControl(entryIndex, params) {
      const hex = n => Number(n).toString(16).padStart(2, '0');
      const label = params[0].help && /colour|color/i.test(params[0].help)
        ? humane(params[0].help.split(',')[0].trim()) : 'Colour';
      return row(entryIndex, params.map(p => p.name), label,
                 'the picker sets ' + params.map(p => p.name).join(', ') + ' together',
                 (inputs, id, apply) => {
        const input = make('input', { id: id, type: 'color' });
        input.value = '#' + params.map(p => hex(current(entryIndex, p.name))).join('');
        input.addEventListener('change', () => {
          const v = input.value;
          apply(params.map((p, k) => [p.name, parseInt(v.substr(1 + 2 * k, 2), 16)]), v, [input]);
        });
        inputs.append(input);
      });
    }

    function isColour(params, k) {
      const three = params.slice(k, k + 3);
      return three.length === 3 && three.every(p => p.type === 'number') &&
        (three.every(p => p.control === 'colour') ||
         three.map(p => p.name).join() === 'red,green,blue');
    }

    function showChain() {
      const box = $('entries');
      box.textContent = '';
      playingIndex = -1;
      state.chain.forEach((entry, i) => {
        const set = make('fieldset');
        set.dataset.entry = String(i);
        const which = make('select');
        which.setAttribute('aria-label', 'Effect ' + (i + 1));
        for (const m of catalogue) which.append(new Option(m.module, m.module, false, m.module === entry.module));
        which.addEventListener('change', () => {
          state.chain[i] = { module: which.value, values: {} };
          playState();
        });
        const remove = make('button', { type: 'button', className: 'remove' }, 'Remove');
        remove.setAttribute('aria-label', 'Remove effect ' + (i + 1) + ' (' + entry.module + ')');
        remove.addEventListener('click', () => {
          state.chain.splice(i, 1);
          playState(state.chain.length ? 'Removed ' + entry.module + '.' : undefined);
        });
        set.append(make('legend', {}, String(i + 1) + '. ', which, ' ', remove, ' ',
                        make('span', { className: 'now' })));
        const params = byModule[entry.module].params;
        for (let k = 0; k < params.length; k++) {
          if (isColour(params, k)) {
            set.append(colourControl(i, params.slice(k, k + 3)));
            k += 2;
          } else {
            set.append(paramControl(i, params[k]));
          }
        }
        box.append(set);
      });
    }

    // Buttons and keys -------------------------------------------------------------------

    const pauseButton = $('pause');
    function setPaused(on) {
      state.paused = on;
      pauseButton.textContent = on ? 'Go on' : 'Pause';
      pauseButton.setAttribute('aria-pressed', on ? 'true' : 'false');
      if (running) say((on ? 'Paused: ' : 'Playing ') + describe(state.chain.map(e => e.module)) + '.');
      writeAddress();
      schedule();
    }
    function step() {
      if (!state.paused) setPaused(true);
      if (running) call('web_frame', null, [], []);
      readOut();
    }
    function fullScreen() {
      if (document.fullscreenElement) document.exitFullscreen();
      else if (stage.requestFullscreen) stage.requestFullscreen().catch(e => say('No full screen: ' + e.message, true));
    }

    $('program').addEventListener('change', e => {
      state.program = e.target.value;
      if (state.program === 'effects' && !state.chain.length)
        state.chain = [{ module: 'wavetext', values: {} }, { module: 'boxflood', values: {} },
                       { module: 'bouncetext', values: {} }];
      playState();
    });
    for (const m of catalogue) $('addwhich').append(new Option(m.module, m.module));
    $('add').addEventListener('click', () => {
      state.chain.push({ module: $('addwhich').value, values: {} });
      playState('Added ' + $('addwhich').value + ' as effect ' + state.chain.length + '.');
    });
    $('restart').addEventListener('click', () => playState());
    $('exact').addEventListener('change', e => {
      state.exact = e.target.checked;
      playState();
    });
    pauseButton.addEventListener('click', () => setPaused(!state.paused));
    $('step').addEventListener('click', step);
    $('fullscreen').addEventListener('click', fullScreen);
    $('copy').addEventListener('click', () => {
      const done = () => say('The link to this picture is copied: ' + location.href);
      if (navigator.clipboard) navigator.clipboard.writeText(location.href).then(done, () => say(location.href));
      else say(location.href);
    });
    $('save').addEventListener('click', () => {
      if (!running) {
        say('Nothing to save: nothing is drawn.', true);
        return;
      }
      const frame = call('web_frame_number', 'number', [], []);
      const name = (state.program === 'rasterwave' ? 'rasterwave' : 'effects') + '-frame-' +
                   String(frame).padStart(6, '0') + '.png';
      canvas.toBlob(blob => {
        const a = make('a', { href: URL.createObjectURL(blob), download: 'mirvo-' + name });
        a.click();
        setTimeout(() => URL.revokeObjectURL(a.href), 1000);
        say('Saved frame ' + frame + ' as mirvo-' + name + '.');
      }, 'image/png');
    });
    document.addEventListener('keydown', e => {
      const t = e.target;
      if (e.ctrlKey || e.altKey || e.metaKey || t.isContentEditable ||
          /^(INPUT|SELECT|TEXTAREA)$/.test(t.tagName) || (t.tagName === 'BUTTON' && e.key === ' '))
        return;
      if (e.key === ' ' || e.key === 'k') setPaused(!state.paused);
      else if (e.key === '.') step();
      else if (e.key === 'f') fullScreen();
      else return;
      e.preventDefault();
    });

    // What tests and benchmarks use.
    window.mirvo = {
      // Plays `words` (an array) paused and returns its first `frames` frames, each as a PNG
      // data URL read back from the canvas.
      capture(words, frames, exact) {
        state.exact = !!exact;
        setPaused(true);
        const error = run(words);
        if (error) throw new Error(error);
        const out = [canvas.toDataURL('image/png')];
        while (out.length < frames) {
          call('web_frame', null, [], []);
          out.push(canvas.toDataURL('image/png'));
        }
        return out;
      },
      // Frames drawn over `ms` milliseconds of the page's clock, per second.
      async rate(ms) {
        setPaused(false);
        const c0 = drawn.count, t0 = performance.now();
        await new Promise(r => setTimeout(r, ms));
        return (drawn.count - c0) * 1000 / (performance.now() - t0);
      },
      // Milliseconds one frame costs the page (drawn and put on the canvas), over `frames`
      // stepped frames of `words`.
      cost(words, frames) {
        setPaused(true);
        const error = run(words);
        if (error) throw new Error(error);
        const t0 = performance.now();
        for (let i = 0; i < frames; i++) call('web_frame', null, [], []);
        return (performance.now() - t0) / frames;
      },
      // The state as the player holds it.
      sequence: sequence,
      catalogue: catalogue,
      frame: () => call('web_frame_number', 'number', [], []),
      ready: true,
    };

    // The address, or rasterwave. Positional values are the player's to read; a chain it
    // refuses is said, and its effects play with their own values.
    const address = new URLSearchParams(location.search);
    state.exact = address.get('exact') === '1';
    state.paused = address.get('paused') === '1';
    setPaused(state.paused);
    const words = splitWords(address.has('play') ? address.get('play') : 'rasterwave');
    if (words.length === 1 && words[0] === 'rasterwave') {
      playState();
      return;
    }
    state.program = 'effects';
    const error = run(words);
    if (!error) {
      state.chain = sequence().entries.map(e => ({ module: e.module, values: {} }));
      state.chain.forEach((e, i) => { e.values = changedValues(i, e); });
      playState();
      return;
    }
    state.chain = words.filter(w => byModule[w]).map(w => ({ module: w, values: {} }));
    if (!state.chain.length && words.length) state.program = 'rasterwave';
    playState();
    say('The address asked for ' + quoted(words.join(' ')) + ', which was refused: ' + error +
        '. Playing ' + (state.program === 'rasterwave' ? 'rasterwave'
                         : describe(state.chain.map(e => e.module)) + ' with their own values') +
        ' instead.', true);
  }
})();
