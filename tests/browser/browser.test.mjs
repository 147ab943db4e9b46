// The guide in a real browser: the Debian Chromium driven by puppeteer-core,
// once on the served site and once on the exported files through file://.
// Usage: node browser.test.mjs CHROMIUM BASE_URL TABLE_OBJECT FOOTNOTE_PAGE [SHOTS_DIR]
//   BASE_URL ends with "/" (http://127.0.0.1:PORT/ or file:///.../site/).
import puppeteer from 'puppeteer-core';

const [chromium, base, table, footnotePage, shots] = process.argv.slice(2);
const step = (what) => console.log(`  ${base.startsWith('file:') ? 'file' : 'http'}: ${what}`);
const fail = (what) => { throw new Error(what); };
const timeout = 10000;

const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--allow-file-access-from-files'],
});
const deadline = setTimeout(() => { console.error('browser test: out of time'); process.exit(1); }, 50000);
let failed = false;
try {
  const page = await browser.newPage();
  page.setDefaultTimeout(timeout);
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  const shot = async (name) => { if (shots) await page.screenshot({ path: `${shots}/${name}.png` }); };

  step('home page, then the index');
  await page.goto(base + 'index.html');
  await Promise.all([page.waitForNavigation(), page.click('nav a[href="search.html"]')]);
  step('incremental search, then follow the entry it selects');
  await page.waitForSelector('#q');
  await page.type('#q', 'am');
  await page.waitForSelector('#hits li.sel a');
  const chosen = await page.$eval('#hits li.sel a', (a) => a.textContent);
  if (!chosen.toLowerCase().startsWith('am')) fail(`the search selects "${chosen}"`);
  await shot('search');
  await Promise.all([page.waitForNavigation(), page.click('#hits li.sel a')]);
  const title = await page.$eval('h1', (h) => h.textContent);
  if (!title) fail('the entry opened a page without a title');

  step(`table ${table}: Compare one row and one column, then Restore`);
  await page.goto(`${base}o${table}.html`);
  const counts = () => page.evaluate(() => ({
    rows: [...document.querySelectorAll('tr[data-row]')].filter((r) => r.offsetParent !== null).length,
    cells: [...document.querySelectorAll('td[data-col]')].filter((c) => c.offsetParent !== null).length,
  }));
  const all = await counts();
  if (all.rows < 2) fail(`the table has ${all.rows} rows`);
  await page.click('tr[data-row] input.pick');
  await page.click('tr.head th[data-col] input.pick');
  await page.click('button.compare');
  const compared = await counts();
  if (compared.rows !== 1 || compared.cells !== 1) fail(`Compare shows ${JSON.stringify(compared)}`);
  await shot('compare');
  await page.click('button.restore');
  const restored = await counts();
  if (restored.rows !== all.rows || restored.cells !== all.cells) fail(`Restore shows ${JSON.stringify(restored)}`);

  step(`footnote on ${footnotePage}`);
  await page.goto(base + footnotePage);
  const id = await page.$eval('button.fn', (b) => b.getAttribute('popovertarget'));
  await page.click('button.fn');
  const open = await page.$eval(`#${id}`, (p) => p.matches(':popover-open') && p.textContent.length > 0);
  if (!open) fail('the footnote did not open');
  await shot('footnote');

  step('contents, three levels down');
  await page.goto(base + 'contents.html');
  const path = await page.evaluate(() => {
    // A top-level entry with a sub-entry that has sub-entries of its own.
    for (const a of document.querySelectorAll('main > ul > li > details')) {
      for (const b of a.querySelectorAll(':scope > ul > li > details')) {
        const link = b.querySelector(':scope > ul > li > a, :scope > ul > li > details > summary > a');
        if (link) return [a.id || a.parentElement.id, b.parentElement.id, link.getAttribute('href')];
      }
    }
    return null;
  });
  if (!path) fail('the contents have no third level');
  for (const li of path.slice(0, 2)) {
    const box = await (await page.$(`li#${li} > details > summary`)).boundingBox();
    await page.mouse.click(box.x + 4, box.y + box.height / 2);  // the disclosure marker
    const isOpen = await page.$eval(`li#${li} > details`, (d) => d.open);
    if (!isOpen) fail(`entry ${li} did not unfold`);
  }
  await shot('contents');
  const link = await page.$(`li#${path[1]} > details > ul a[href="${path[2]}"]`);
  if (!(await link.isVisible())) fail('the third-level entry is not visible');
  await Promise.all([page.waitForNavigation(), link.click()]);
  if (!page.url().endsWith(path[2].split('#')[0]) && !page.url().includes(path[2])) fail(`followed to ${page.url()}`);
  const h1 = await page.$eval('h1', (h) => h.textContent);
  if (!h1) fail('the contents entry opened a page without a title');
  if (errors.length) fail(`script errors: ${errors.join('; ')}`);
  step('all passed');
} catch (e) {
  console.error(`FAIL (${base}): ${e.message}`);
  failed = true;
} finally {
  clearTimeout(deadline);
  await browser.close();
}
process.exit(failed ? 1 : 0);
