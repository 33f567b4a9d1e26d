// Opens a page that Numerlo saved in Debian's Chromium (headless) and checks,
// from the browser's own DOM and computed styles, what a reader sees.
//   node page_in_browser.mjs PAGE.html [SCREENSHOT.png]
import { chromium } from 'playwright-core';
import { pathToFileURL } from 'node:url';

const [pagePath, shotPath] = process.argv.slice(2);
if (!pagePath) {
  console.error('usage: node page_in_browser.mjs PAGE.html [SCREENSHOT.png]');
  process.exit(2);
}

// The ten example draws the page was made from: six main numbers, then the bonus.
const draws = [
  [1, 2, 3, 4, 5, 6, 7], [43, 42, 41, 40, 39, 38, 1], [5, 12, 19, 27, 33, 41, 22],
  [8, 14, 15, 23, 36, 42, 9], [2, 11, 17, 28, 30, 39, 43], [3, 9, 10, 21, 34, 40, 18],
  [6, 13, 24, 25, 31, 37, 20], [7, 16, 26, 29, 35, 38, 4], [4, 18, 20, 32, 41, 43, 11],
  [10, 19, 22, 23, 30, 33, 1],
];
const grey = 'rgb(192, 192, 192)';
const red = 'rgb(255, 0, 0)';
const yellow = 'rgb(255, 255, 0)';

let passed = 0;
let failed = 0;
function check(what, actual, expected) {
  if (JSON.stringify(actual) === JSON.stringify(expected)) {
    passed += 1;
  } else {
    failed += 1;
    console.log(`FAIL ${what}\n  actual:   ${JSON.stringify(actual)}\n  expected: ${JSON.stringify(expected)}`);
  }
}

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});
try {
  // A new context is a fresh profile of its own.
  const context = await browser.newContext({ viewport: { width: 1280, height: 900 } });
  const page = await context.newPage();
  await page.goto(pathToFileURL(pagePath).href);

  const seen = await page.evaluate(() => {
    const table = document.querySelector('table');
    const rows = [...table.rows].map((row) => [...row.cells].map((cell) => ({
      text: cell.textContent.trim(),
      background: getComputedStyle(cell).backgroundColor,
    })));
    return {
      charset: document.characterSet,
      title: document.title,
      heading: document.querySelector('h1').textContent.trim(),
      caption: table.caption.textContent.trim(),
      link: document.querySelector('a').textContent.trim(),
      rows,
    };
  });

  const title = 'ロト6(ロトシックス)過去抽選結果の出目表(001\uFF5E010回)';
  check('character set from the x-sjis label', seen.charset, 'Shift_JIS');
  check('title', seen.title, title);
  check('heading', seen.heading, title);
  check('caption', seen.caption, '灰色＝抽選回数\u3000\u3000赤色＝本数字\u3000\u3000黄色＝ボーナス数字');
  check('link text', seen.link, 'トップページへ');
  check('rows', seen.rows.length, 10);
  seen.rows.forEach((cells, d) => {
    const serial = String(d + 1).padStart(3, '0');
    check(`row ${serial}: cells`, cells.length, 44);
    check(`row ${serial}: grey serial cell`, [cells[0].text, cells[0].background], [serial, grey]);
    const labels = cells.slice(1).map((c) => c.text);
    check(`row ${serial}: labels 01..43`, labels,
          Array.from({ length: 43 }, (_, i) => String(i + 1).padStart(2, '0')));
    const numbersIn = (colour) => cells.slice(1).flatMap((c, i) => (c.background === colour ? [i + 1] : []));
    check(`row ${serial}: red cells`, numbersIn(red), draws[d].slice(0, 6).sort((a, b) => a - b));
    check(`row ${serial}: yellow cell`, numbersIn(yellow), [draws[d][6]]);
  });

  if (shotPath) {
    await page.screenshot({ path: shotPath, clip: { x: 0, y: 0, width: 1150, height: 380 } });
  }
} finally {
  await browser.close();
}

console.log(`browser: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
