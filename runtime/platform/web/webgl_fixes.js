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
    gl.zoraxBoundTexture = function() { return bound[unit] || null; };
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
