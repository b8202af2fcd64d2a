// Plays the web build in Debian's Chromium, headless, for scripts/check-web.sh:
//   node check_pages.mjs <base URL> <folder for the pictures>
// 1. The game's page: answers the start-up box in the page's own dialog, checks that the
//    keyboard is on the canvas, moves the first pair three columns left (each arrow held for a
//    few frames, as the desktop checks press them), and saves the canvas's picture as game.png
//    once it stands still (the board full).
// 2. The game's page without WebGL, and without WebAssembly, says so plainly.
//    The windowed example's page starts.
// 3. The storage check's page, loaded and then reloaded: the second start finds the first
//    start's save and log entry.
// Anything written to the console as an error, an error thrown in a page, a failed request or a
// request outside the page's own folder fails the check. Exits 0 when all is well.
import { writeFileSync } from 'node:fs';
import { chromium } from 'playwright-core';

const [base, out] = process.argv.slice(2);
const problems = [];
const seconds = (count) => new Promise((wake) => setTimeout(wake, count * 1000));

// Every request of a page must go to its own folder on the check's server.
function watch(page, name, folder) {
  page.on('console', (message) => {
    if (message.type() === 'error') {
      problems.push(`${name}: console error: ${message.text()}`);
    }
  });
  page.on('pageerror', (error) => problems.push(`${name}: error in the page: ${error.message}`));
  page.on('requestfailed', (request) =>
    problems.push(`${name}: ${request.url()} failed: ${request.failure()?.errorText}`));
  page.on('request', (request) => {
    if (!request.url().startsWith(folder)) {
      problems.push(`${name}: fetched ${request.url()}, outside the page's folder ${folder}`);
    }
  });
}

// The page's animation frames, counted from here on: the program draws one frame on each.
async function countFrames(page) {
  await page.evaluate(() => {
    window.checkFrames = 0;
    const tick = () => {
      window.checkFrames += 1;
      requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  });
  return () => page.evaluate(() => window.checkFrames);
}

// Waits for at least `count` frames and `least` seconds, however slowly frames come.
async function waitFrames(frames, count, least) {
  const first = await frames();
  const deadline = Date.now() + least * 1000;
  while ((await frames()) - first < count || Date.now() < deadline) {
    await seconds(0.02);
  }
}

// Holds each key down across a few frames, and at least as long as the desktop checks do, then
// lets go for as long: the game sees each press however slowly the page runs.
async function press(page, frames, keys) {
  for (const key of keys) {
    await page.keyboard.down(key);
    await waitFrames(frames, 3, 0.15);
    await page.keyboard.up(key);
    await waitFrames(frames, 3, 0.15);
  }
}

// The canvas's picture once it stands still: the same across `gap` seconds and enough frames
// for a falling pair to drop a row (half a second of game time, a frame being at most 1/45 s
// of it), so a page that runs slowly is not taken for a still one.
async function stillPicture(canvas, frames, gap, limit) {
  const kFramesForARow = 90;
  const deadline = Date.now() + limit * 1000;
  let previous = await canvas.screenshot();
  let since = await frames();
  while (Date.now() < deadline) {
    await seconds(gap);
    const picture = await canvas.screenshot();
    if (!picture.equals(previous)) {
      previous = picture;
      since = await frames();
    } else if ((await frames()) - since >= kFramesForARow) {
      return picture;
    }
  }
  throw new Error(`the canvas kept changing for ${limit} s`);
}

async function playGame(context) {
  const page = await context.newPage();
  watch(page, 'game', `${base}/`);
  await page.goto(`${base}/`);
  // The game asks for 100 Hz; the page runs at the browser's rate, and the box says so.
  const box = page.locator('dialog.tumblix-box');
  await box.waitFor({ state: 'visible', timeout: 120000 });
  const caption = await box.locator('h2').textContent();
  const text = await box.locator('p').textContent();
  console.log(`start-up box "${caption}": ${text}`);
  if (caption !== 'Engine') {
    throw new Error(`the start-up box's caption is "${caption}", not "Engine"`);
  }
  await box.getByRole('button', { name: 'OK' }).click();
  await box.waitFor({ state: 'detached', timeout: 10000 });
  const focused = await page.evaluate(() => document.activeElement?.id);
  if (focused !== 'canvas') {
    throw new Error(`the keyboard is on "${focused}", not on the canvas`);
  }
  const frames = await countFrames(page);
  await waitFrames(frames, 10, 1);  // a few frames, the first pair still near the top
  await press(page, frames, ['ArrowLeft', 'ArrowLeft', 'ArrowLeft']);
  const scrolled = await page.evaluate(() => window.scrollX + window.scrollY);
  if (scrolled !== 0) {
    throw new Error('the arrow keys scrolled the page');
  }
  writeFileSync(`${out}/game.png`, await stillPicture(page.locator('#canvas'), frames, 3, 600));
  await page.close();
}

// Without WebGL or WebAssembly the game's page says which it needs, and loads no program.
async function withoutFeatures(context) {
  const removals = {
    WebGL: () => {
      const getContext = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (kind, ...options) {
        return /webgl/.test(kind) ? null : getContext.call(this, kind, ...options);
      };
    },
    WebAssembly: () => delete window.WebAssembly,
  };
  for (const [feature, remove] of Object.entries(removals)) {
    const page = await context.newPage();
    watch(page, `game without ${feature}`, `${base}/`);
    const programs = [];
    page.on('request', (request) => {
      if (/\.(js|wasm|data)$/.test(request.url())) {
        programs.push(request.url());
      }
    });
    await page.addInitScript(remove);
    await page.goto(`${base}/`);
    const notice = await page.locator('#missing').textContent();
    if (!(await page.locator('#missing').isVisible()) || !notice.includes(`needs ${feature}`) ||
        !(await page.locator('#canvas').isHidden())) {
      throw new Error(`without ${feature} the page says "${notice}"`);
    }
    if (programs.length > 0) {
      throw new Error(`without ${feature} the page still loads ${programs.join(', ')}`);
    }
    await page.close();
  }
}

async function startWindowed(context) {
  const page = await context.newPage();
  watch(page, 'windowed', `${base}/windowed/`);
  await page.goto(`${base}/windowed/`);
  await page.waitForFunction(() => document.getElementById('status').textContent === '',
                             null, { timeout: 120000 });
  await seconds(1);
  await page.close();
}

// The line the storage check's host prints at its start.
async function storageStart(page, load) {
  const line = page.waitForEvent('console', {
    predicate: (message) => /^start \d+:/.test(message.text()),
    timeout: 120000,
  });
  await load();
  return (await line).text();
}

async function saveAndReload(context) {
  const page = await context.newPage();
  watch(page, 'storage', `${base}/storage-check/`);
  const expected = [
    'start 1: loaded save none, kept log none, saved yes',
    'start 2: loaded save 1, kept log 1, saved yes',
  ];
  const first = await storageStart(page, () => page.goto(`${base}/storage-check/`));
  // The page copies the data folder to IndexedDB after the save; a reload waits for it, as a
  // player's would a moment later.
  await page.evaluate(() => Module.storageSettled());
  const second = await storageStart(page, () => page.reload());
  console.log(`before the reload: ${first}\nafter it: ${second}`);
  if (first !== expected[0] || second !== expected[1]) {
    throw new Error(`expected "${expected[0]}", then "${expected[1]}"`);
  }
  await page.close();
}

// WebGL on SwiftShader, the CPU's renderer (no GPU here). The page itself is composited in
// software: compositing it with SwiftShader too cost two thirds of the frames on a busy machine.
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-gpu-compositing',
         '--no-sandbox'],
});
let status = 0;
try {
  const context = await browser.newContext({ viewport: { width: 1000, height: 800 },
                                             deviceScaleFactor: 1 });
  await playGame(context);
  await withoutFeatures(context);
  await startWindowed(context);
  await saveAndReload(context);
} catch (error) {
  problems.push(error.message);
} finally {
  await browser.close();
}
for (const problem of problems) {
  console.error(`check-web: ${problem}`);
  status = 1;
}
process.exit(status);
