// page.js - the page around mirvo-web.wasm: chooses rasterwave or a chain of effects, builds
// a control for every parameter from the effects' own catalogue, changes parameters while
// the effects run, pauses, steps one frame and saves the frame shown as a PNG.
//
// URL switches: ?play=WORDS (words separated by spaces, e.g. "wavetext+boxflood"), ?paused=1.
// For tests and benchmarks the page sets window.mirvo (see the end of this file).
'use strict';

(function () {
  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d');
  const status = document.getElementById('status');
  const fpsText = document.getElementById('fps');
  const params = new URLSearchParams(location.search);

  // Frames the main loop has put on the canvas, and when (the page's own clock).
  const drawn = { count: 0, times: [] };
  let stepping = false;

  let image = null;
  function present(pixels, width, height) {
    if (!image || image.width !== width || image.height !== height) {
      canvas.width = width;
      canvas.height = height;
      image = context.createImageData(width, height);
    }
    image.data.set(pixels);
    context.putImageData(image, 0, 0);
    if (!stepping) {
      drawn.count++;
      drawn.times.push(performance.now());
      if (drawn.times.length > 100) drawn.times.shift();
    }
  }

  function say(text, isError) {
    status.textContent = text;
    status.className = isError ? 'error' : '';
  }

  createMirvo({ present: present, print: t => console.log(t), printErr: t => console.warn(t) })
    .then(M => start(M))
    .catch(e => say('The program could not be loaded: ' + e, true));

  function start(M) {
    const call = (name, ret, types, args) => M.ccall(name, ret, types, args);
    const catalogue = JSON.parse(call('web_catalogue', 'string', [], []));
    const byModule = {};
    for (const m of catalogue) byModule[m.module] = m;
    let paused = false;
    // The chain as shown: [{module, values: {name: value}}].
    let chain = [
      { module: 'wavetext', values: {} },
      { module: 'boxflood', values: {} },
      { module: 'bouncetext', values: {} },
    ];

    function play(words, exact) {
      const failed = call('web_play', 'number', ['string', 'number', 'number', 'number'],
                          [words.join('\n'), exact ? 1 : 0, 640, 480]);
      if (failed) {
        say(call('web_error', 'string', [], []), true);
        return false;
      }
      say('Playing ' + words.filter(w => w !== '+' && !w.includes('=')).join(', ') + '.');
      return true;
    }

    function chainWords() {
      const words = [];
      chain.forEach((e, i) => {
        if (i) words.push('+');
        words.push(e.module);
        for (const [name, value] of Object.entries(e.values)) words.push(name + '=' + value);
      });
      return words;
    }

    function playChain() {
      if (!chain.length) {
        say('Add an effect to the chain.', true);
        return;
      }
      play(chainWords(), document.getElementById('exact').checked);
    }

    // One control per parameter, changed live on the running chain.
    function control(entryIndex, p) {
      const entry = chain[entryIndex];
      const label = document.createElement('label');
      label.title = p.help;
      label.append(p.name);
      const input = document.createElement('input');
      const current = entry.values[p.name] !== undefined ? entry.values[p.name] : p.default;
      if (p.type === 'text') {
        input.type = 'text';
        input.value = current;
      } else if (p.name === 'amplitude' || p.name === 'height' || p.name === 'slice_width' ||
                 p.name === 'width') {
        input.type = 'range';
        input.min = p.min;
        input.max = p.name === 'slice_width' ? 32 : Math.max(Number(current) * 2, 480);
        input.value = current;
      } else {
        input.type = 'number';
        input.min = p.min;
        input.max = p.max;
        input.value = current;
      }
      input.dataset.param = p.name;
      input.addEventListener('change', () => setParam(entryIndex, p.name, input.value));
      label.append(input);
      if (input.type === 'range') {
        const shown = document.createElement('output');
        shown.textContent = input.value;
        input.addEventListener('input', () => { shown.textContent = input.value; });
        label.append(shown);
      }
      return label;
    }

    function setParam(entryIndex, name, value) {
      chain[entryIndex].values[name] = value;
      const failed = call('web_set_param', 'number', ['number', 'string', 'string'],
                          [entryIndex, name, String(value)]);
      if (failed) say(call('web_error', 'string', [], []), true);
      else say(chain[entryIndex].module + ': ' + name + ' is now ' + value + '.');
    }

    function colourControl(entryIndex) {
      const entry = chain[entryIndex];
      const hex = n => Number(n).toString(16).padStart(2, '0');
      const get = n => entry.values[n] !== undefined ? entry.values[n]
                                                     : byModule.boxflood.params.find(p => p.name === n).default;
      const label = document.createElement('label');
      label.append('colour');
      const input = document.createElement('input');
      input.type = 'color';
      input.value = '#' + hex(get('red')) + hex(get('green')) + hex(get('blue'));
      input.addEventListener('change', () => {
        const v = input.value;
        setParam(entryIndex, 'red', parseInt(v.substr(1, 2), 16));
        setParam(entryIndex, 'green', parseInt(v.substr(3, 2), 16));
        setParam(entryIndex, 'blue', parseInt(v.substr(5, 2), 16));
      });
      label.append(input);
      return label;
    }

    function showChain() {
      const box = document.getElementById('entries');
      box.textContent = '';
      chain.forEach((entry, i) => {
        const set = document.createElement('fieldset');
        const legend = document.createElement('legend');
        const which = document.createElement('select');
        for (const m of catalogue) which.append(new Option(m.module, m.module, false, m.module === entry.module));
        which.addEventListener('change', () => {
          chain[i] = { module: which.value, values: {} };
          showChain();
          playChain();
        });
        const remove = document.createElement('button');
        remove.textContent = 'Remove';
        remove.addEventListener('click', () => {
          chain.splice(i, 1);
          showChain();
          playChain();
        });
        legend.append(String(i + 1) + '. ', which, ' ', remove);
        set.append(legend);
        const shown = ['text', 'amplitude', 'slice_width', 'direction', 'rate', 'width', 'height'];
        for (const p of byModule[entry.module].params)
          if (shown.includes(p.name)) set.append(control(i, p));
        if (entry.module === 'boxflood') set.append(colourControl(i));
        box.append(set);
      });
    }

    function choose(programName) {
      document.getElementById('chain').hidden = programName !== 'effects';
      if (programName === 'effects') {
        showChain();
        playChain();
      } else {
        play(['rasterwave'], false);
      }
    }

    document.getElementById('program').addEventListener('change', e => choose(e.target.value));
    document.getElementById('add').addEventListener('click', () => {
      chain.push({ module: 'wavetext', values: {} });
      showChain();
      playChain();
    });
    document.getElementById('restart').addEventListener('click', playChain);
    document.getElementById('exact').addEventListener('change', playChain);
    const pauseButton = document.getElementById('pause');
    function setPaused(on) {
      paused = on;
      call('web_pause', null, ['number'], [on ? 1 : 0]);
      pauseButton.textContent = on ? 'Go on' : 'Pause';
    }
    pauseButton.addEventListener('click', () => setPaused(!paused));
    document.getElementById('step').addEventListener('click', () => {
      setPaused(true);
      stepping = true;
      call('web_frame', null, [], []);
      stepping = false;
    });
    document.getElementById('save').addEventListener('click', () => {
      const frame = call('web_frame_number', 'number', [], []);
      canvas.toBlob(blob => {
        const a = document.createElement('a');
        a.href = URL.createObjectURL(blob);
        a.download = 'mirvo-frame-' + String(frame).padStart(6, '0') + '.png';
        a.click();
        setTimeout(() => URL.revokeObjectURL(a.href), 1000);
      }, 'image/png');
    });

    setInterval(() => {
      const t = drawn.times;
      fpsText.textContent = paused || t.length < 2 ? ''
        : ((t.length - 1) * 1000 / (t[t.length - 1] - t[0])).toFixed(1) + ' frames per second';
    }, 500);

    // What tests and benchmarks use.
    window.mirvo = {
      // Plays `words` (an array) paused, steps `frames` frames and returns each as a PNG
      // data URL read back from the canvas.
      capture(words, frames, exact) {
        setPaused(true);
        if (!play(words, exact)) throw new Error(call('web_error', 'string', [], []));
        const out = [];
        stepping = true;
        for (let i = 0; i < frames; i++) {
          call('web_frame', null, [], []);
          out.push(canvas.toDataURL('image/png'));
        }
        stepping = false;
        return out;
      },
      // Frames the main loop drew over `ms` milliseconds of the page's clock, per second.
      async rate(ms) {
        setPaused(false);
        const c0 = drawn.count, t0 = performance.now();
        await new Promise(r => setTimeout(r, ms));
        return (drawn.count - c0) * 1000 / (performance.now() - t0);
      },
      // Milliseconds one frame costs the page (drawing and putting it on the canvas), over
      // `frames` stepped frames of `words`.
      cost(words, frames) {
        setPaused(true);
        if (!play(words, false)) throw new Error(call('web_error', 'string', [], []));
        stepping = true;
        const t0 = performance.now();
        for (let i = 0; i < frames; i++) call('web_frame', null, [], []);
        const ms = (performance.now() - t0) / frames;
        stepping = false;
        setPaused(false);
        return ms;
      },
      play: play,
      setParam: setParam,
      ready: true,
    };

    // ?play=rasterwave, or a chain such as "wavetext amplitude=60 + boxflood red=0".
    const wanted = (params.get('play') || 'rasterwave').trim().split(/\s+/);
    if (wanted.length === 1 && wanted[0] === 'rasterwave') {
      choose('rasterwave');
    } else {
      chain = [];
      for (const word of wanted) {
        const eq = word.indexOf('=');
        if (word === '+') continue;
        if (eq < 0 && byModule[word]) chain.push({ module: word, values: {} });
        else if (eq > 0 && chain.length) chain[chain.length - 1].values[word.slice(0, eq)] = word.slice(eq + 1);
      }
      document.getElementById('program').value = 'effects';
      choose('effects');
    }
    if (params.get('paused') === '1') setPaused(true);
  }
})();
