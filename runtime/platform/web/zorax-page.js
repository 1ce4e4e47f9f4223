// The page around the player: it checks that the browser can run it, fetches
// the game's files, mounts the persisted storage, starts the player and
// keeps the storage written back. Tests drive it through the page address:
//   ?game=FILE,...   the game's files instead of the page's own list
//   ?script=FILE     a scripted run (ZORAX_SCRIPT), the script fetched too
//   ?seed=N          OMBREL_RANDOM_SEED
// and read back what the player wrote with zoraxReadFile(path) (base64).
'use strict';

(function() {
  var message = document.getElementById('message');
  var canvas = document.getElementById('canvas');
  var query = new URLSearchParams(location.search);

  function say(text) {
    message.textContent = text;
    message.hidden = !text;
  }

  // Without WebAssembly or WebGL the player cannot start at all: one line
  // says so instead of a blank page. A browser that has WebGL may still
  // refuse a context (turned off, no graphics at all): the player then ends
  // before its first frame, and the page says the same. (A probe context
  // here would cost as much time as the player's own.)
  function lacking(what) {
    say('This game needs ' + what + ', which this browser does not offer or has turned off.');
  }
  if (typeof WebAssembly !== 'object') return lacking('WebAssembly');
  if (typeof WebGLRenderingContext !== 'function') return lacking('WebGL');

  var files = (query.get('game') || '').split(',').filter(Boolean);
  if (files.length === 0) files = window.zoraxGame.files;
  var baseName = function(path) { return path.substring(path.lastIndexOf('/') + 1); };

  // Frame figures for benchmarks: when the canvas was last drawn, checked at
  // every animation frame.
  var page = window.zoraxPage = {
    firstFrameMs: 0, frameTimes: [], started: false, exited: false, drawn: false, handedOver: []
  };
  function watchFrames(now) {
    // The canvas follows the page's size, which SDL learns from resize
    // events; a size set from the game (leaving full screen, a new scale on
    // the options screen) would leave it stretched until the next one.
    var ratio = window.devicePixelRatio || 1;
    if (!document.fullscreenElement && page.started && !page.exited &&
        (canvas.width != Math.floor(canvas.clientWidth * ratio) ||
         canvas.height != Math.floor(canvas.clientHeight * ratio))) {
      window.dispatchEvent(new Event('resize'));
    }
    if (page.drawn) {
      page.drawn = false;
      if (!page.firstFrameMs) page.firstFrameMs = now;
      page.frameTimes.push(now);
      if (page.frameTimes.length > 3600) page.frameTimes.shift();
    }
    requestAnimationFrame(watchFrames);
  }
  requestAnimationFrame(watchFrames);

  // Settings and replays live under /user, on the browser's storage. Each
  // kind of failure gets one console line; the game goes on without it.
  var syncing = false, told = {}, storageUsable = true;
  function tell(kind, text) {
    if (told[kind]) return;
    told[kind] = true;
    console.log(text);
  }
  function writeBack() {
    if (syncing || !storageUsable || !Module.FS) return;
    syncing = true;
    Module.FS.syncfs(false, function(error) {
      syncing = false;
      if (error) tell('write', 'Settings and replays not kept: the browser storage refused them (' + error + ')');
    });
  }

  function fetchInto(url, path) {
    Module.addRunDependency(path);
    fetch(url).then(function(response) {
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      return response.arrayBuffer();
    }).then(function(bytes) {
      Module.FS.writeFile(path, new Uint8Array(bytes));
    }).catch(function(error) {
      console.log('Cannot fetch ' + url + ': ' + error.message);
    }).finally(function() {
      Module.removeRunDependency(path);
    });
  }

  var Module = window.Module = {
    canvas: canvas,
    thisProgram: '/game/' + baseName(files[0]),
    arguments: [],
    preRun: [function() {
      var FS = Module.FS, ENV = Module.ENV;
      // SDL's own wait after each swap would give the browser a second,
      // unpaced turn: the player's frame wait does it.
      ENV.SDL_EMSCRIPTEN_ASYNCIFY = '0';
      FS.mkdir('/game');
      files.forEach(function(file) { fetchInto(file, '/game/' + baseName(file)); });
      var script = query.get('script');
      if (script) {
        FS.mkdir('/script');
        fetchInto(script, '/script/' + baseName(script));
        ENV.ZORAX_SCRIPT = '/script/' + baseName(script);
      }
      if (query.get('seed')) ENV.OMBREL_RANDOM_SEED = query.get('seed');
      FS.mkdir('/user');
      function noStorage(error) {
        storageUsable = false;
        tell('read', 'No browser storage for settings and replays (' + error + '): they last this visit only');
      }
      Module.addRunDependency('storage');
      try {
        FS.mount(Module.IDBFS, {}, '/user');
        FS.syncfs(true, function(error) {
          if (error) noStorage(error);
          Module.removeRunDependency('storage');
        });
      } catch (error) {
        noStorage(error);
        Module.removeRunDependency('storage');
      }
    }],
    onRuntimeInitialized: function() {
      page.started = true;
      say('');
      document.getElementById('bar').hidden = false;
      setInterval(writeBack, 2000);
    },
    onCanvasDrawn: function() { page.drawn = true; },
    // Files offered as downloads (F12 screenshots), kept for the page's tests.
    onFileHandedOver: function(name, bytes) {
      page.handedOver.push({ name: name, base64: base64(bytes) });
    },
    print: function(text) { console.log(text); },
    printErr: function(text) { console.warn(text); },
    onExit: function(code) {
      page.exited = true;
      writeBack();
      if (page.firstFrameMs || page.drawn) {
        say('The game has ended. Reload the page to play again.');
      } else {
        lacking('WebGL');
      }
    },
    onAbort: function(what) {
      say('The player stopped: ' + what);
    }
  };

  function base64(bytes) {
    var text = '';
    for (var i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(text);
  }
  window.zoraxReadFile = function(path) { return base64(Module.FS.readFile(path)); };

  document.addEventListener('visibilitychange', writeBack);
  window.addEventListener('pagehide', writeBack);

  // The full-screen button shows the page alone on the screen; the player
  // scales its picture to the new size. Buttons give the keyboard back.
  var fullscreenButton = document.getElementById('fullscreen-button');
  fullscreenButton.addEventListener('click', function() {
    fullscreenButton.blur();
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen();
    }
  });

  // The replays kept in the browser's storage, offered as downloads.
  var replaysButton = document.getElementById('replays-button');
  var replays = document.getElementById('replays');
  replaysButton.addEventListener('click', function() {
    replaysButton.blur();
    if (!replays.hidden) {
      replays.hidden = true;
      return;
    }
    var folder = '/user/data/zorax/replays';
    var names = [];
    try {
      names = Module.FS.readdir(folder).filter(function(n) { return /\.zrp$/.test(n); }).sort().reverse();
    } catch (e) {
      names = [];
    }
    replays.textContent = '';
    if (names.length === 0) {
      var none = document.createElement('p');
      none.textContent = 'No replays yet: every game played is kept here.';
      replays.appendChild(none);
    }
    names.forEach(function(name) {
      var link = document.createElement('a');
      link.textContent = name;
      link.href = URL.createObjectURL(new Blob([Module.FS.readFile(folder + '/' + name)]));
      link.download = name;
      replays.appendChild(link);
    });
    replays.hidden = false;
  });

  var loader = document.createElement('script');
  loader.src = 'zorax-player.js';
  loader.onerror = function() { say('The player could not be loaded (zorax-player.js).'); };
  document.body.appendChild(loader);
})();
