// WebGL for the player's OpenGL 1.x drawing (a --pre-js of the player).
// Emscripten's legacy GL emulation turns the drawing into WebGL calls; this
// wraps the canvas's WebGL context where WebGL 1 names things otherwise than
// desktop OpenGL, and counts the frames the canvas shows:
//  - internal formats RGBA8 and RGB8 become RGBA and RGB (WebGL 1 wants the
//    format itself), and each texture remembers its size, so that it can be
//    read back (glGetTexImage, in gl_bridge.cc);
//  - 24-bit depth and depth-with-stencil buffers become the 16-bit depth
//    and the packed depth-stencil buffers that WebGL 1 has;
//  - the canvas has no alpha: the player draws every frame off screen and
//    only puts finished, opaque pictures on the canvas, so no pixel of the
//    page behind may show through.
(function() {
  var RGBA8 = 0x8058, RGB8 = 0x8051, RGBA = 0x1908, RGB = 0x1907;
  var DEPTH24 = 0x81A6, DEPTH16 = 0x81A5, DEPTH24_STENCIL8 = 0x88F0, DEPTH_STENCIL = 0x84F9;

  function fix(gl) {
    // The 2D texture bound to each unit, known here without asking WebGL:
    // a question to WebGL waits for the GPU process to finish its work.
    var bound = {}, unit = 0;
    var activeTexture = gl.activeTexture;
    gl.activeTexture = function(which) {
      unit = which - gl.TEXTURE0;
      return activeTexture.call(gl, which);
    };
    var bindTexture = gl.bindTexture;
    gl.bindTexture = function(target, texture) {
      if (target == gl.TEXTURE_2D) bound[unit] = texture;
      return bindTexture.call(gl, target, texture);
    };

    // The state the runtime asks back about (glPushAttrib, glIsEnabled, the
    // bindings) is known here too, from the calls that set it. Asking WebGL
    // would make the page wait for the GPU process to finish every draw
    // queued so far: once a frame, that cost more than the drawing.
    var enabled = {};
    [gl.BLEND, gl.CULL_FACE, gl.DEPTH_TEST, gl.POLYGON_OFFSET_FILL, gl.SAMPLE_ALPHA_TO_COVERAGE,
     gl.SAMPLE_COVERAGE, gl.SCISSOR_TEST, gl.STENCIL_TEST].forEach(function(cap) {
      enabled[cap] = false;
    });
    enabled[gl.DITHER] = true;
    var viewport = new Int32Array([0, 0, gl.drawingBufferWidth, gl.drawingBufferHeight]);
    var scissorBox = new Int32Array(viewport);
    var clearColour = new Float32Array(4);
    var framebufferBound = null;
    function track(name, after) {
      var original = gl[name];
      gl[name] = function() {
        after.apply(null, arguments);
        return original.apply(gl, arguments);
      };
    }
    track('enable', function(cap) { if (cap in enabled) enabled[cap] = true; });
    track('disable', function(cap) { if (cap in enabled) enabled[cap] = false; });
    track('viewport', function(x, y, w, h) { viewport = new Int32Array([x, y, w, h]); });
    track('scissor', function(x, y, w, h) { scissorBox = new Int32Array([x, y, w, h]); });
    track('clearColor', function(r, g, b, a) { clearColour = new Float32Array([r, g, b, a]); });
    track('bindFramebuffer', function(target, framebuffer) { framebufferBound = framebuffer || null; });
    var isEnabled = gl.isEnabled;
    gl.isEnabled = function(cap) { return cap in enabled ? enabled[cap] : isEnabled.call(gl, cap); };
    var getParameter = gl.getParameter;
    gl.getParameter = function(name) {
      switch (name) {
        case gl.VIEWPORT: return new Int32Array(viewport);
        case gl.SCISSOR_BOX: return new Int32Array(scissorBox);
        case gl.COLOR_CLEAR_VALUE: return new Float32Array(clearColour);
        case gl.TEXTURE_BINDING_2D: return bound[unit] || null;
        case gl.FRAMEBUFFER_BINDING: return framebufferBound;
        default: return getParameter.call(gl, name);
      }
    };
    var texImage2D = gl.texImage2D;
    gl.texImage2D = function(target, level, internalFormat, width, height) {
      var args = Array.prototype.slice.call(arguments);
      if (args.length >= 9) {
        if (internalFormat == RGBA8) args[2] = RGBA;
        if (internalFormat == RGB8) args[2] = RGB;
        if (level == 0 && target == gl.TEXTURE_2D) {
          var texture = bound[unit];
          if (texture) {
            texture.zoraxWidth = width;
            texture.zoraxHeight = height;
          }
        }
      }
      return texImage2D.apply(gl, args);
    };
    // The runtime sets a texture's filters before every sprite it draws;
    // WebGL passes each call on to the GPU process, where a changed sampler
    // costs more than the draw. Settings a texture already has are dropped.
    var texParameteri = gl.texParameteri;
    gl.texParameteri = function(target, name, value) {
      var texture = target == gl.TEXTURE_2D ? bound[unit] : null;
      if (texture) {
        var known = texture.zoraxParameters || (texture.zoraxParameters = {});
        if (known[name] === value) return;
        known[name] = value;
      }
      return texParameteri.call(gl, target, name, value);
    };
    var renderbufferStorage = gl.renderbufferStorage;
    gl.renderbufferStorage = function(target, format, width, height) {
      if (format == DEPTH24) format = DEPTH16;
      if (format == DEPTH24_STENCIL8) format = DEPTH_STENCIL;
      return renderbufferStorage.call(gl, target, format, width, height);
    };
    // Frames shown: a draw call into the canvas's own framebuffer (the
    // scaled present) marks the time, for the page's frame-rate figures.
    var onCanvas = true;
    var bindFramebuffer = gl.bindFramebuffer;
    gl.bindFramebuffer = function(target, framebuffer) {
      onCanvas = !framebuffer;
      return bindFramebuffer.call(gl, target, framebuffer);
    };
    ['drawArrays', 'drawElements'].forEach(function(name) {
      var draw = gl[name];
      gl[name] = function() {
        Module['drawCalls'] = (Module['drawCalls'] || 0) + 1;
        if (onCanvas && Module['onCanvasDrawn']) Module['onCanvasDrawn']();
        return draw.apply(gl, arguments);
      };
    });
    return gl;
  }

  var getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function(type, attributes) {
    var webgl = type == 'webgl' || type == 'experimental-webgl';
    if (webgl) {
      attributes = Object.assign({}, attributes || {},
                                 {alpha: false, antialias: false, preserveDrawingBuffer: false});
    }
    var context = getContext.call(this, type, attributes);
    if (webgl && context && !context.zoraxFixed) {
      fix(context);
      context.zoraxFixed = true;
    }
    return context;
  };
})();
