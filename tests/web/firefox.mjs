// Firefox ESR for the Python page tests, through puppeteer-core over WebDriver BiDi (Debian ships Firefox
// without geckodriver). One JSON request a line on stdin, one answer a line on stdout: {id, ok, value} or
// {id, ok: false, error}. Elements travel as {"$el": n}, a number this side keeps the handle under.
// Launch options come as one JSON argument: {prefs, width, height, scale}.
import puppeteer from 'puppeteer-core';
import readline from 'node:readline';

const options = JSON.parse(process.argv[2] || '{}');
const browser = await puppeteer.launch({
  browser: 'firefox',
  protocol: 'webDriverBiDi',
  executablePath: '/usr/bin/firefox-esr',
  headless: true,
  extraPrefsFirefox: options.prefs || {},
});
// The tab Firefox starts with never has the focus (no :focus-visible, document.hasFocus() false); a tab
// opened over BiDi has.
const first = (await browser.pages())[0];
const page = await browser.newPage();
if (first) await first.close();
await page.setViewport({width: options.width || 1024, height: options.height || 768,
                        deviceScaleFactor: options.scale || 1});
let frame = page.mainFrame();

const handles = new Map();
let lastHandle = 0;
function remember(handle) {
  handles.set(++lastHandle, handle);
  return {$el: lastHandle};
}
function handleOf(ref) {
  const handle = handles.get(ref && ref.$el);
  if (!handle) throw new Error('stale element reference');
  return handle;
}
// A script body as WebDriver takes it ("return ...", reading `arguments`) made a function here, so that the
// page's Content-Security-Policy never sees an eval; an asynchronous one is handed its callback last. BiDi
// takes elements as arguments of their own only: the arguments travel as JSON with the elements in them
// numbered, the elements after them, and the function puts them back in their places.
function scriptFunction(body, async) {
  const inner = `(function () {\n${body}\n})`;
  const call = async ? `new Promise((resolve) => ${inner}.apply(this, args.concat([resolve])))`
                     : `${inner}.apply(this, args)`;
  return (0, eval)(`(function (json, ...elements) {
    const back = (v) => (v && typeof v === 'object' ? ('$n' in v ? elements[v.$n] : Array.isArray(v) ? v.map(back) : v) : v);
    const args = back(json);
    return ${call};
  })`);
}
function fromPython(args) {
  const elements = [];
  const number = (v) => {
    if (v && typeof v === 'object' && '$el' in v) return {$n: elements.push(handleOf(v)) - 1};
    return Array.isArray(v) ? v.map(number) : v;
  };
  return [number(args), ...elements];
}

// A result as Python reads it: elements as references, an array of elements as a list of them.
async function toPython(handle) {
  const element = handle.asElement();
  if (element) return remember(element);
  const kind = await handle.evaluate((v) => (Array.isArray(v) && v.length && v.every((x) => x instanceof Node) ? 'nodes' : 'value'));
  if (kind === 'nodes') {
    const items = [...(await handle.getProperties()).entries()].filter(([k]) => /^\d+$/.test(k));
    items.sort((a, b) => Number(a[0]) - Number(b[0]));
    return items.map(([, h]) => remember(h.asElement()));
  }
  const value = await handle.jsonValue();
  await handle.dispose();
  return value === undefined ? null : value;
}

// WebDriver's "element send keys": modifiers (Shift, Control, Alt, Meta) stay down until pressed again or
// the keys end. Keys are WebDriver's own code points, which puppeteer passes through to BiDi.
const MODIFIERS = new Set(['\uE008', '\uE009', '\uE00A', '\uE03D', '\uE050', '\uE051', '\uE052', '\uE053']);
async function typeKeys(text) {
  const down = [];
  for (const key of [...text]) {
    if (MODIFIERS.has(key)) {
      const at = down.indexOf(key);
      if (at >= 0) { down.splice(at, 1); await page.keyboard.up(key); } else { down.push(key); await page.keyboard.down(key); }
    } else await page.keyboard.press(key);
  }
  for (const key of down.reverse()) await page.keyboard.up(key);
}

const commands = {
  async goto({url}) { frame = page.mainFrame(); await page.goto(url, {waitUntil: 'load'}); return page.url(); },
  async execute({script, args, async}) {
    return toPython(await frame.evaluateHandle(scriptFunction(script, async), ...fromPython(args || [])));
  },
  async find({selector, all}) {
    if (all) return (await frame.$$(selector)).map(remember);
    const found = await frame.$(selector);
    return found ? remember(found) : null;
  },
  async click({el}) { await handleOf(el).click(); },
  async keys({el, text}) {
    const element = handleOf(el);
    if (!(await element.evaluate((e) => e === e.ownerDocument.activeElement))) await element.focus();
    await typeKeys(text);
  },
  // The key source of WebDriver actions, in order; pauses wait.
  async actions({actions}) {
    for (const a of actions) {
      if (a.type === 'keyDown') await page.keyboard.down(a.value);
      else if (a.type === 'keyUp') await page.keyboard.up(a.value);
      else if (a.type === 'pause' && a.duration) await new Promise((r) => setTimeout(r, a.duration));
    }
  },
  async frame({el}) { frame = el ? await handleOf(el).contentFrame() : page.mainFrame(); },
  async viewport({width, height, scale}) {
    await page.setViewport({width, height, deviceScaleFactor: scale || 1});
    return page.evaluate(() => [innerWidth, innerHeight, devicePixelRatio]);
  },
  // A part of the page, in CSS pixels from the document's corner, at the device pixel ratio.
  async screenshot({clip}) {
    const shot = await page.screenshot(clip ? {type: 'png', clip} : {type: 'png'});
    return Buffer.from(shot).toString('base64');
  },
  async pdf({width, height}) {
    return Buffer.from(await page.pdf({width, height, printBackground: true})).toString('base64');
  },
  async close() { await browser.close(); },
};

const send = (answer) => process.stdout.write(JSON.stringify(answer) + '\n');
send({ready: true, version: await browser.version()});
for await (const line of readline.createInterface({input: process.stdin})) {
  if (!line.trim()) continue;
  const request = JSON.parse(line);
  try {
    const command = commands[request.cmd];
    if (!command) throw new Error(`no command ${request.cmd}`);
    const value = await command(request);
    send({id: request.id, ok: true, value: value === undefined ? null : value});
  } catch (e) {
    send({id: request.id, ok: false, error: String((e && e.message) || e)});
  }
  if (request.cmd === 'close') break;
}
await browser.close().catch(() => {});
process.exit(0);
