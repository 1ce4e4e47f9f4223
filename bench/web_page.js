// The web build's figures, measured in headless Chromium (software WebGL):
// the download (player, loader, game; raw and gzip-compressed), the time
// from page load to the first title frame, and the frame rate in play from
// the intervals between frames the page shows. Numbers only, no verdicts:
//   NODE_PATH=/usr/share/nodejs node bench/web_page.js build-web/bin [RUNS]
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const devtools = require('../tests/web/devtools.js');

const root = path.resolve(process.argv[2] || 'build-web/bin');
const runs = Number(process.argv[3] || 3);

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted.length ? sorted[Math.floor(sorted.length / 2)] : NaN;
}

async function main() {
  let raw = 0, gzipped = 0;
  for (const file of ['zorax-player.wasm', 'zorax-player.js', 'skylane', 'index.html', 'zorax-page.js']) {
    const bytes = fs.readFileSync(path.join(root, file));
    const packed = zlib.gzipSync(bytes, { level: 9 }).length;
    raw += bytes.length;
    gzipped += packed;
    console.log(`${file.padEnd(18)} ${String(bytes.length).padStart(8)} bytes, gzip ${String(packed).padStart(8)}`);
  }
  console.log(`${'download'.padEnd(18)} ${String(raw).padStart(8)} bytes, gzip ${String(gzipped).padStart(8)}`);

  // A short game: the title, both players in, fire now and then, 20 s in all.
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'zorax-web-bench-'));
  for (const file of fs.readdirSync(root)) fs.copyFileSync(path.join(root, file), path.join(folder, file));
  let script = '5 press Right Ctrl\n40 press Left Ctrl\n';
  for (let frame = 60; frame < 1200; frame += 30) script += `${frame} press Right Ctrl\n`;
  fs.writeFileSync(path.join(folder, 'play.txt'), `${script}1200 end\n`);
  // The baseline: what this browser shows at all, a WebGL canvas of the same
  // size cleared every animation frame, as many frames as the play measured.
  fs.writeFileSync(path.join(folder, 'baseline.html'), `<canvas width=640 height=480></canvas><script>
    var gl = document.querySelector('canvas').getContext('webgl'), times = [];
    (function frame(now) {
      times.push(now);
      gl.clearColor(times.length % 2, 0, 0, 1);
      gl.clear(gl.COLOR_BUFFER_BIT);
      if (times.length < 902) requestAnimationFrame(frame); else window.done = true;
    })(performance.now());
  </script>`);

  const { server, port } = await devtools.serveFolder(folder);
  const { page, close } = await devtools.openBrowser();
  const loads = [], rates = [], intervals = [], late = [], draws = [], baseline = [];
  const rate = (times) => (times.length - 1) / ((times[times.length - 1] - times[0]) / 1000);
  for (let run = 0; run < runs; ++run) {
    await page.goto(`http://127.0.0.1:${port}/baseline.html`);
    if (!(await page.waitFor('window.done', 60))) throw new Error('no end of the baseline');
    baseline.push(rate((await page.evaluate('times')).slice(2)));
    await page.goto(`http://127.0.0.1:${port}/index.html?script=play.txt&seed=7`);
    if (!(await page.waitFor('window.zoraxPage && zoraxPage.exited', 120))) throw new Error('no end');
    const times = await page.evaluate('zoraxPage.frameTimes');
    // WebGL draw calls a frame shown, over the whole run (the page counts them).
    draws.push((await page.evaluate('Module.drawCalls')) / times.length);
    loads.push(times[1]);
    // Frames of play, past the start: the last 900 shown before the end.
    const play = times.slice(Math.max(2, times.length - 900));
    const gaps = play.slice(1).map((t, i) => t - play[i]);
    rates.push(rate(play));
    intervals.push(median(gaps));
    late.push(gaps.filter((g) => g > 20).length / gaps.length * 100);
  }
  await close();
  server.close();
  fs.rmSync(folder, { recursive: true, force: true });
  const fixed = (values, digits) => values.map((v) => v.toFixed(digits)).join(', ');
  console.log(`first title frame  ${fixed(loads, 0)} ms after the page was opened (median ${median(loads).toFixed(0)})`);
  console.log(`frames per second  ${fixed(rates, 1)} in play (median ${median(rates).toFixed(1)}); ` +
              `baseline page ${fixed(baseline, 1)} (median ${median(baseline).toFixed(1)}, ratio ` +
              `${(median(rates) / median(baseline)).toFixed(3)})`);
  console.log(`frame interval     median ${fixed(intervals, 1)} ms; over 20 ms: ${fixed(late, 1)} %`);
  console.log(`draw calls         ${fixed(draws, 1)} a frame (median ${median(draws).toFixed(1)})`);
}

main().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
