// The web build played as a visitor's browser plays it: the packed demo's
// page, served from 127.0.0.1, in headless Chromium with software WebGL.
// The scripted tour of the desktop's end-to-end tests must give the very
// same screenshots as the Linux build (tests/e2e/reference/), bad game data
// must give "Load Error!", and what the player keeps must outlive the visit.
//
//   ZORAX_WEB_ROOT=<unpacked skylane-web.zip> node --test tests/web/page_test.js
// (scripts/test-web does this after `make web-package`).
'use strict';

const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { before, after, test } = require('node:test');
const devtools = require('./devtools.js');

const kSource = path.resolve(__dirname, '..', '..');
const kRoot = process.env.ZORAX_WEB_ROOT;
const kReferences = path.join(kSource, 'tests/e2e/reference');
const kScripts = path.join(kSource, 'tests/e2e/scripts');

let server, port, browser;

before(async () => {
  assert.ok(kRoot && fs.existsSync(path.join(kRoot, 'index.html')), 'ZORAX_WEB_ROOT holds no page');
  // The test's own files beside the page: scripts, and games gone wrong.
  const extra = path.join(kRoot, 'test');
  fs.mkdirSync(extra, { recursive: true });
  for (const script of ['skylane_tour.txt', 'load_error.txt']) {
    fs.copyFileSync(path.join(kScripts, script), path.join(extra, script));
  }
  fs.writeFileSync(path.join(extra, 'f12.txt'), '10 press F12\n30 end\n');
  fs.writeFileSync(path.join(extra, 'title.txt'), '5 end\n');
  fs.writeFileSync(path.join(extra, 'f11.txt'),
                   '10 press F11\n20 key down Left Alt\n21 press Return\n23 key up Left Alt\n' +
                   '30 press F11\n40 screenshot title.png\n120 end\n');
  // A game file that starts like one and then holds nothing of a game.
  const game = fs.readFileSync(path.join(kRoot, 'skylane'));
  fs.writeFileSync(path.join(extra, 'game.ZORAX'), Buffer.concat([Buffer.from('ZORAX'), game.subarray(0, 4000)]));
  ({ server, port } = await devtools.serveFolder(kRoot));
  browser = await devtools.openBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
});

// Opens the page with the query, waits for the player to end, and returns
// what it left: a file reader and the page's console lines.
async function play(query, seconds) {
  const page = browser.page;
  await page.goto(`http://127.0.0.1:${port}/index.html?${query}`);
  const ended = await page.waitFor('window.zoraxPage && zoraxPage.exited', seconds);
  const read = async (file) => Buffer.from(await page.evaluate(`zoraxReadFile(${JSON.stringify(file)})`), 'base64');
  const log = ended ? (await read('/tmp/ombrel-0/ErrorLog.txt')).toString() : '';
  assert.ok(ended, `the player did not end within ${seconds} s:\n${page.console.join('\n')}`);
  return { page, read, log };
}

function assertSameAsReference(shot, name) {
  const reference = fs.readFileSync(path.join(kReferences, name));
  if (Buffer.compare(shot, reference) !== 0) {
    assert.fail(`${name}: not the Linux build's picture (${devtools.differingPixels(shot, reference)} pixels differ)`);
  }
}

test('the scripted tour shows exactly the Linux pictures', async () => {
  const { read, log } = await play('script=test/skylane_tour.txt&seed=7', 90);
  for (const stage of ['Init GFX', 'Init Window', 'Init Finalized']) assert.match(log, new RegExp(stage));
  assert.doesNotMatch(log, /Runtime error|screenshot not written|Script ended the run/);
  for (const name of ['title.png', 'firing.png', 'hit.png', 'title_again.png']) {
    assertSameAsReference(await read(`/script/${name}`), name);
  }
  // The game played was recorded, into the storage that outlives the visit.
  assert.match(log, /Replay saved: \/user\/data\/zorax\/replays\/skylane-\d{8}-\d{6}\.zrp/);
});

test('a game exported for the web plays the tour with the same pictures', async () => {
  // ZORAX_WEB_EXPORT: the exported folder, below the served one.
  const folder = process.env.ZORAX_WEB_EXPORT;
  assert.ok(folder && fs.existsSync(path.join(kRoot, folder, 'game.zpk')), 'ZORAX_WEB_EXPORT holds no export');
  const page = browser.page;
  const back = folder.split('/').map(() => '..').join('/');
  await page.goto(`http://127.0.0.1:${port}/${folder}/index.html?script=${back}/test/skylane_tour.txt&seed=7`);
  assert.ok(await page.waitFor('window.zoraxPage && zoraxPage.exited', 90), page.console.join('\n'));
  assert.strictEqual(await page.evaluate('document.title'), 'Skylane');
  for (const name of ['title.png', 'firing.png', 'hit.png', 'title_again.png']) {
    const shot = Buffer.from(await page.evaluate(`zoraxReadFile("/script/${name}")`), 'base64');
    assertSameAsReference(shot, name);
  }
});

test('a visit finds the replays of the one before', async () => {
  const { page } = await play('script=test/title.txt', 30);
  const replays = await page.evaluate('Module.FS.readdir("/user/data/zorax/replays")');
  assert.ok(replays.some((name) => /^skylane-\d{8}-\d{6}\.zrp$/.test(name)), `replays: ${replays}`);
});

test('settings kept in the browser storage are read on the next visit', async () => {
  const page = browser.page;
  // Numbers as the desktop reads them: no leading "+", exponents welcome.
  for (const [value, refused] of [['+0.25', true], ['2.5e-1', false]]) {
    await page.goto(`http://127.0.0.1:${port}/index.html?script=test/title.txt`);
    assert.ok(await page.waitFor('window.zoraxPage && zoraxPage.exited', 30));
    await page.evaluate(`new Promise((resolve, reject) => {
      Module.FS.mkdirTree('/user/settings/zorax');
      Module.FS.writeFile('/user/settings/zorax/settings.ini', '[pad]\\ndeadzone = ${value}\\n');
      Module.FS.syncfs(false, (error) => (error ? reject(error) : resolve(true)));
    })`);
    const { log } = await play('script=test/title.txt', 30);
    const problem = `settings.ini:2: [pad] deadzone = ${value}: expected a number from 0 to 1; using 0.5`;
    assert.strictEqual(log.includes(problem), refused, log);
    assert.doesNotMatch(log, refused ? /deadzone.*\n.*deadzone/ : /deadzone/);
  }
});

test('a browser that refuses its storage costs one console line, never the game', async () => {
  const page = browser.page;
  const { identifier } = await page.send('Page.addScriptToEvaluateOnNewDocument', {
    source: 'Object.defineProperty(window, "indexedDB", { get() { throw new Error("refused"); } });',
  });
  try {
    const { log } = await play('script=test/skylane_tour.txt&seed=7', 90);
    assert.match(log, /Replay saved: /);
    const lines = page.console.filter((line) => /storage/.test(line));
    assert.strictEqual(lines.length, 1, page.console.join('\n'));
    assert.match(lines[0], /^No browser storage for settings and replays .*: they last this visit only$/);
  } finally {
    await page.send('Page.removeScriptToEvaluateOnNewDocument', { identifier });
  }
});

test('a corrupt game shows Load Error! and a click ends it', async () => {
  const { read, log } = await play('game=test/game.ZORAX&script=test/load_error.txt', 60);
  assert.doesNotMatch(log, /Script ended the run/);
  assertSameAsReference(await read('/script/load_error.png'), 'load_error.png');
});

test('a missing game shows Load Error! with one console line', async () => {
  const { page, read } = await play('game=test/no-such-game&script=test/load_error.txt', 60);
  assertSameAsReference(await read('/script/load_error.png'), 'load_error.png');
  assert.strictEqual(page.console.filter((line) => /Cannot fetch test\/no-such-game: 404/.test(line)).length, 1,
                     page.console.join('\n'));
});

test('F11 and Alt+Enter leave the game and its picture as they were', async () => {
  const page = browser.page;
  await page.goto(`http://127.0.0.1:${port}/index.html?script=test/f11.txt&seed=7`);
  // Past both switches, the canvas is as large as the page shows it.
  assert.ok(await page.waitFor('window.zoraxPage && zoraxPage.frameTimes.length > 45', 30));
  const size = await page.evaluate(
      '(c => [c.width, c.height, c.clientWidth, c.clientHeight])(document.getElementById("canvas"))');
  assert.deepStrictEqual(size.slice(0, 2), size.slice(2), `the canvas is stretched: ${size}`);
  assert.ok(await page.waitFor('zoraxPage.exited', 30));
  const shot = Buffer.from(await page.evaluate('zoraxReadFile("/script/title.png")'), 'base64');
  assertSameAsReference(shot, 'title.png');
});

test('F12 hands the screenshot to the visitor as a download', async () => {
  const { page } = await play('script=test/f12.txt&seed=7', 30);
  const handed = await page.evaluate('zoraxPage.handedOver');
  assert.strictEqual(handed.length, 1, `handed over: ${handed}`);
  assert.match(handed[0].name, /\/Pictures\/Zorax\/skylane-\d{8}-\d{6}\.png$/);
  const shot = devtools.decodePng(Buffer.from(handed[0].base64, 'base64'));
  assert.deepStrictEqual([shot.width, shot.height], [640, 480]);
});

test('the page says so in one line when the browser has no WebGL', async () => {
  const page = browser.page;
  await page.send('Page.addScriptToEvaluateOnNewDocument', {
    source: 'HTMLCanvasElement.prototype.getContext = function() { return null; };',
  });
  await page.goto(`http://127.0.0.1:${port}/index.html`);
  assert.ok(await page.waitFor('window.zoraxPage && zoraxPage.exited', 30), 'the player went on');
  assert.match(await page.evaluate('document.getElementById("message").textContent'),
               /^This game needs WebGL, which this browser does not offer or has turned off\.$/);
  // And a browser without it at all is told before the player is fetched.
  await page.send('Page.addScriptToEvaluateOnNewDocument', { source: 'delete window.WebGLRenderingContext;' });
  await page.goto(`http://127.0.0.1:${port}/index.html`);
  assert.ok(await page.waitFor('document.getElementById("message").textContent.includes("WebGL")', 20));
  assert.strictEqual(await page.evaluate('typeof Module'), 'undefined');
});
