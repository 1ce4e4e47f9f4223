// Plays a page of the web build in Debian's headless Chromium: a static
// server for a folder on 127.0.0.1, the browser started with a fresh
// profile, and a DevTools protocol session on its page. Shared by the web
// tests (tests/web/page_test.js) and the page benchmark (bench/web_page.js).
'use strict';

const childProcess = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');

// Node 22 has a WebSocket of its own; older ones take Debian's node-ws.
const WebSocket = globalThis.WebSocket || require('ws');

const kTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.txt': 'text/plain', '.png': 'image/png',
};

// Serves the folder's files as they are, nothing else, on a free port.
function serveFolder(root) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(root, path.normalize(name === '/' ? '/index.html' : name));
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-store',
    });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => resolve({ server, port: server.address().port }));
  });
}

const kChromiumFlags = [
  '--headless', '--no-sandbox', '--no-first-run', '--no-default-browser-check',
  '--disable-quic', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
  '--disable-backgrounding-occluded-windows', '--autoplay-policy=no-user-gesture-required',
  // WebGL drawn on the processor by SwiftShader: no graphics card here.
  '--window-size=800,600', '--remote-debugging-port=0',
];
const kGlFlags = (process.env.ZORAX_CHROMIUM_GL ||
                  '--use-gl=angle --use-angle=swiftshader --enable-unsafe-swiftshader').split(' ');

// Starts Chromium with a fresh profile and resolves with its DevTools
// address once it listens.
function startChromium() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zorax-chromium-'));
  const browser = childProcess.spawn(
      process.env.CHROMIUM || 'chromium', [...kChromiumFlags, ...kGlFlags, `--user-data-dir=${profile}`,
                                           'about:blank'],
      { stdio: ['ignore', 'ignore', 'pipe'] });
  return new Promise((resolve, reject) => {
    let seen = '';
    const timer = setTimeout(() => reject(new Error(`Chromium did not start:\n${seen}`)), 30000);
    browser.stderr.on('data', (chunk) => {
      seen += chunk;
      const found = /DevTools listening on (ws:\/\/\S+)/.exec(seen);
      if (found) {
        clearTimeout(timer);
        resolve({ browser, profile, address: found[1] });
      }
    });
    browser.on('exit', (code) => reject(new Error(`Chromium ended (${code}):\n${seen}`)));
  });
}

// One DevTools protocol connection: send(method, params) resolves with the
// result; events go to the listeners added with on(method, fn).
class Session {
  constructor(socket) {
    this.socket = socket;
    this.next = 1;
    this.waiting = new Map();
    this.listeners = [];
    socket.addEventListener('message', (event) => {
      const message = JSON.parse(typeof event.data === 'string' ? event.data : event.data.toString());
      if (message.id && this.waiting.has(message.id)) {
        const { resolve, reject } = this.waiting.get(message.id);
        this.waiting.delete(message.id);
        if (message.error) reject(new Error(`${message.error.message} ${message.error.data || ''}`));
        else resolve(message.result);
      } else if (message.method) {
        for (const [method, fn] of this.listeners) if (method === message.method) fn(message.params, message.sessionId);
      }
    });
  }

  static open(address) {
    return new Promise((resolve, reject) => {
      const socket = new WebSocket(address);
      socket.addEventListener('open', () => resolve(new Session(socket)));
      socket.addEventListener('error', () => reject(new Error(`cannot connect to ${address}`)));
    });
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.next++;
    this.socket.send(JSON.stringify({ id, method, params, sessionId }));
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject }));
  }

  on(method, fn) { this.listeners.push([method, fn]); }

  close() { this.socket.close(); }
}

// A browser and a page in it; page.evaluate(expression) returns the value.
async function openBrowser() {
  const chromium = await startChromium();
  const session = await Session.open(chromium.address);
  const console = [];
  session.on('Runtime.consoleAPICalled', (params) => {
    console.push(params.args.map((a) => (a.value !== undefined ? a.value : a.description)).join(' '));
  });
  session.on('Runtime.exceptionThrown', (params) => {
    console.push(`exception: ${params.exceptionDetails.exception?.description || params.exceptionDetails.text}`);
  });
  const { targetId } = await session.send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await session.send('Target.attachToTarget', { targetId, flatten: true });
  const send = (method, params) => session.send(method, params, sessionId);
  await send('Runtime.enable');
  await send('Page.enable');
  const page = {
    console,
    send,
    async goto(url) {
      console.length = 0;
      await send('Page.navigate', { url });
    },
    async evaluate(expression) {
      const result = await send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
      if (result.exceptionDetails) throw new Error(`${expression}: ${result.exceptionDetails.exception?.description}`);
      return result.result.value;
    },
    // Polls the expression until it is true; false after the time-out.
    async waitFor(expression, seconds) {
      const end = Date.now() + seconds * 1000;
      while (Date.now() < end) {
        if (await page.evaluate(`Boolean(${expression})`).catch(() => false)) return true;
        await new Promise((resolve) => setTimeout(resolve, 100));
      }
      return false;
    },
    async key(type, key, code, windowsVirtualKeyCode) {
      await send('Input.dispatchKeyEvent', { type, key, code, windowsVirtualKeyCode });
    },
  };
  const close = async () => {
    session.close();
    if (chromium.browser.exitCode === null && chromium.browser.signalCode === null) {
      const ended = new Promise((resolve) => chromium.browser.once('exit', resolve));
      chromium.browser.kill();
      await ended;
    }
    // Chromium's helpers may still write there as it goes: a profile left
    // behind in the temporary folder is no failure.
    try {
      fs.rmSync(chromium.profile, { recursive: true, force: true, maxRetries: 10 });
    } catch (error) {
      process.stderr.write(`left ${chromium.profile}: ${error.code}\n`);
    }
  };
  return { page, close };
}

// The pixels of a PNG as our encoder writes them (8-bit RGB or RGBA, not
// interlaced): { width, height, channels, data } with filters undone.
function decodePng(bytes) {
  let at = 8, width = 0, height = 0, channels = 0;
  const idat = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      channels = { 2: 3, 6: 4 }[body[9]];
      if (body[8] !== 8 || !channels || body[12] !== 0) throw new Error('unexpected PNG kind');
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const data = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? data[y * stride + x - channels] : 0;
      const b = y > 0 ? data[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? data[(y - 1) * stride + x - channels] : 0;
      let value = line[x];
      if (filter === 1) value += a;
      else if (filter === 2) value += b;
      else if (filter === 3) value += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        value += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      data[y * stride + x] = value & 255;
    }
  }
  return { width, height, channels, data };
}

// How many pixels of two PNGs differ in colour (alpha left out).
function differingPixels(a, b) {
  const pa = decodePng(a), pb = decodePng(b);
  if (pa.width !== pb.width || pa.height !== pb.height) return Infinity;
  let differing = 0;
  for (let i = 0; i < pa.width * pa.height; ++i) {
    for (let c = 0; c < 3; ++c) {
      if (pa.data[i * pa.channels + c] !== pb.data[i * pb.channels + c]) {
        ++differing;
        break;
      }
    }
  }
  return differing;
}

module.exports = { serveFolder, openBrowser, decodePng, differingPixels };
