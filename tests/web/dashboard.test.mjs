// The dashboard in headless Chromium (the Debian package, driven by
// playwright-core) against mavel-cli serve under Wine: it shows what the
// library answered and the events the world changes bring.
// usage: node tests/web/dashboard.test.mjs BUILD_FOLDER
import { chromium } from "playwright-core";
import { join } from "node:path";
import { buildFolder, check, startServe, waitFor, worldFile } from "./serve.mjs";

const server = await startServe();
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: ["--no-sandbox"] });
try {
  const page = await browser.newPage({ viewport: { width: 1280, height: 1100 } });
  const pageErrors = [];
  page.on("pageerror", (error) => pageErrors.push(error.message));
  await page.goto(server.open);
  check(new URL(page.url()).search === "", "the start page leaves the token out of the address");
  await page.waitForSelector("body[data-ready=true]", { timeout: 60000 });
  const api = async (path) => JSON.parse((await server.request("GET", `/mavel.internal/${path}`)).text).value;

  // The drawing holds one rectangle per screen, at the bounds the library answered.
  const drawn = () => page.$$eval("#screen-drawing rect", (rects) => rects.map((rect) => rect.getAttribute("data-bounds")));
  const screens = await api("Screens");
  const bounds = screens.map(({ bounds: b }) => `${b.x},${b.y},${b.width},${b.height}`);
  check(JSON.stringify(await drawn()) === JSON.stringify(bounds), `the drawing shows the screens ${bounds.join(" ")}`);
  check((await page.$$("#screens tbody tr")).length === screens.length, "the screen table has a row per screen");

  const facts = Object.fromEntries(
    await page.$$eval("dd[data-fact]", (items) => items.map((item) => [item.getAttribute("data-fact"), item.textContent])),
  );
  const info = await api("System/Information");
  const login = await api("System/LoginState");
  for (const [fact, value] of [
    ["Operating system", info.os.name],
    ["Processor", info.cpu.name],
    ["Computer", info.pc.name],
    ["Time zone", info.timeZone.name],
    ["User", login.currentUser],
    ["Lock state", (await api("System/LockState")).state],
  ]) {
    check(facts[fact] === value, `the page shows ${fact} ${JSON.stringify(value)}, not ${JSON.stringify(facts[fact])}`);
  }
  const printers = await page.$$eval("#printers tbody tr td:first-child", (cells) => cells.map((cell) => cell.textContent));
  check(JSON.stringify(printers) === JSON.stringify((await api("System/Printers")).map((p) => p.name)), "the printers are the library's");

  // World changes reach the page only as the events a web view would get.
  const dev = async (path, body) => check((await server.request("POST", `/mavel.dev/${path}`, { body })).status === 200, `POST /mavel.dev/${path}`);
  await dev("world", JSON.stringify({ carvel2: worldFile("one-screen-world.json").carvel2 }));
  await page.waitForSelector("#events li[data-event=screenChanged]", { timeout: 20000 });
  await waitFor("the drawing to show one screen", async () => (await drawn()).length === 1);
  check((await drawn())[0] === bounds[0], "the remaining screen keeps its bounds");

  const monitorsBefore = await page.$$("#devices li[data-kind=monitor]");
  await dev("plug/monitor");
  await page.waitForSelector("#events li[data-event=monitorChanged]", { timeout: 20000 });
  await waitFor("the new monitor in the device list", async () => (await page.$$("#devices li[data-kind=monitor]")).length === monitorsBefore.length + 1);

  await dev("send/session-lock");
  await page.waitForSelector("#events li[data-event=sessionChanged]", { timeout: 20000 });

  await page.click("#power-put");
  await waitFor("the power button's answer", async () => /PUT answered 200/.test(await page.textContent("#power-status")));
  check(pageErrors.length === 0, `the page ran without errors: ${pageErrors.join("; ")}`);

  const screenshot = join(buildFolder, "dashboard.png");
  await page.screenshot({ path: screenshot, fullPage: true });
  console.log(`dashboard: screens, facts and events as the library gave them; screenshot ${screenshot}`);
} finally {
  await browser.close();
  server.stop();
}
