// The dashboard: what the library answers about this computer, redrawn as
// its events arrive.
import * as mavel from "./mavel.js";

/** @typedef {import("../contract/mavel").ScreenRecord} ScreenRecord */
/** @typedef {import("../contract/mavel").DeviceRecord} DeviceRecord */
/** @typedef {import("../contract/mavel").SensorRecord} SensorRecord */

const svgNamespace = "http://www.w3.org/2000/svg";

/** @param {string} id */
function element(id) {
  const found = document.getElementById(id);
  if (!found) throw new Error(`the page has no #${id}`);
  return found;
}

/** @param {string} id */
const tableBody = (id) => /** @type {HTMLTableSectionElement} */ (element(id).querySelector("tbody"));

/** @param {HTMLTableSectionElement} body @param {unknown[][]} rows */
function fillTable(body, rows) {
  body.replaceChildren(
    ...rows.map((cells) => {
      const row = document.createElement("tr");
      for (const cell of cells) row.insertCell().textContent = String(cell ?? "");
      return row;
    }),
  );
}

/** @param {HTMLElement} list @param {[string, unknown][]} pairs */
function fillPairs(list, pairs) {
  list.replaceChildren();
  for (const [name, value] of pairs) {
    const term = document.createElement("dt");
    term.textContent = name;
    const definition = document.createElement("dd");
    definition.textContent = String(value ?? "");
    definition.dataset.fact = name;
    list.append(term, definition);
  }
}

/** @param {unknown} error */
function report(error) {
  const status = element("status");
  status.textContent = error instanceof Error ? error.message : String(error);
  status.className = "error";
}

/** The screens' bounds to scale, in their own coordinates. @param {ScreenRecord[]} screens */
function drawScreens(screens) {
  const drawing = element("screen-drawing");
  drawing.replaceChildren();
  if (screens.length === 0) return;
  const left = Math.min(...screens.map((s) => s.bounds.x));
  const top = Math.min(...screens.map((s) => s.bounds.y));
  const right = Math.max(...screens.map((s) => s.bounds.x + s.bounds.width));
  const bottom = Math.max(...screens.map((s) => s.bounds.y + s.bounds.height));
  const margin = Math.max(right - left, bottom - top) * 0.02;
  drawing.setAttribute("viewBox", `${left - margin} ${top - margin} ${right - left + 2 * margin} ${bottom - top + 2 * margin}`);
  screens.forEach((screen, index) => {
    const { x, y, width, height } = screen.bounds;
    const rect = document.createElementNS(svgNamespace, "rect");
    for (const [name, value] of Object.entries({ x, y, width, height })) rect.setAttribute(name, String(value));
    rect.setAttribute("data-index", String(index));
    rect.setAttribute("data-bounds", `${x},${y},${width},${height}`);
    if (screen.isPrimary) rect.classList.add("primary");
    const label = document.createElementNS(svgNamespace, "text");
    label.setAttribute("x", String(x + width * 0.04));
    label.setAttribute("y", String(y + height * 0.12));
    label.setAttribute("font-size", String(Math.max(height * 0.08, 1)));
    label.textContent = `#${index} ${width}×${height}${screen.edid ? ` ${screen.edid.productName}` : ""}`;
    drawing.append(rect, label);
  });
}

/** @param {ScreenRecord[]} screens */
function showScreens(screens) {
  drawScreens(screens);
  fillTable(
    tableBody("screens"),
    screens.map((s, index) => [
      index,
      `${s.bounds.x},${s.bounds.y} ${s.bounds.width}×${s.bounds.height}`,
      `${s.scale.x}×${s.scale.y}`,
      `${s.refreshRate} Hz`,
      s.colorDepth,
      s.isPrimary ? "yes" : "no",
      s.edid ? `${s.edid.productName} (${s.edid.serialNumber})` : "",
    ]),
  );
}

async function showSystem() {
  const info = await mavel.systemInformation("GET");
  fillPairs(element("system"), [
    ["Operating system", info.os?.name],
    ["Build", info.os?.buildNumber],
    ["Processor", info.cpu?.name],
    ["Memory (MB)", info.memory ? `${info.memory.available} free of ${info.memory.total}` : ""],
    ["Computer", info.pc?.name],
    ["Locale", info.locale?.name],
    ["Time zone", info.timeZone?.name],
    ["Addresses", (info.ipAddress ?? []).map((a) => a.address).join(", ")],
    ["Graphics", (info.graphicsCards ?? []).map((c) => c.name).join(", ")],
  ]);
}

async function showSession() {
  const [login, lock] = await Promise.all([mavel.systemLoginState("GET"), mavel.systemLockState("GET")]);
  fillPairs(element("session"), [
    ["User", login?.currentUser],
    ["Domain", login?.domainName],
    ["Login state", login?.state],
    ["Lock state", lock.state],
  ]);
}

async function showLists() {
  const [usb, printers, processes] = await Promise.all([
    mavel.systemUSBDevices("GET"),
    mavel.systemPrinters("GET"),
    mavel.systemProcesses("GET"),
  ]);
  const hex = (/** @type {number} */ n) => `0x${n.toString(16).padStart(4, "0")}`;
  fillTable(tableBody("usb"), usb.map((d) => [d.name, hex(d.vendorId), hex(d.productId), hex(d.bcdDevice)]));
  fillTable(tableBody("printers"), printers.map((p) => [p.name, p.driverName, p.driverVersion, p.isDefault ? "yes" : ""]));
  const list = Array.isArray(processes) ? processes : [];
  fillTable(tableBody("processes"), list.map((p) => [p.name, p.pid, p.command]));
}

/** Devices the library tracks, by kind, as PUT DeviceNotification and the events tell. */
const devices = new Map([
  ["monitor", new Map()],
  ["sensor", new Map()],
  ["serial sensor", new Map()],
  ["lighting", new Map()],
]);

/** @param {DeviceRecord | SensorRecord} record */
const deviceKey = (record) => ("serial" in record ? `${record.product} (${record.serial})` : `device ${record.deviceID}${record.individualID ? `, ${record.individualID}` : ""}`);

/** @param {string} kind @param {{added: (DeviceRecord | SensorRecord)[], removed: (DeviceRecord | SensorRecord)[]}} change */
function applyDeviceChange(kind, change) {
  const known = /** @type {Map<string, boolean>} */ (devices.get(kind));
  for (const record of change.added) known.set(deviceKey(record), true);
  for (const record of change.removed) known.delete(deviceKey(record));
  element("devices").replaceChildren(
    ...[...devices].flatMap(([name, list]) =>
      [...list.keys()].map((key) => {
        const item = document.createElement("li");
        item.textContent = `${name}: ${key}`;
        item.dataset.kind = name;
        return item;
      }),
    ),
  );
}

/** @param {string} name @param {unknown} payload */
function logEvent(name, payload) {
  const item = document.createElement("li");
  item.dataset.event = name;
  item.textContent = `${new Date().toLocaleTimeString()} ${name} ${typeof payload === "string" ? payload : JSON.stringify(payload)}`;
  element("events").prepend(item);
}

function listen() {
  mavel.on("screenChanged", (screens) => {
    logEvent("screenChanged", screens);
    showScreens(screens);
  });
  mavel.on("monitorChanged", (change) => (logEvent("monitorChanged", change), applyDeviceChange("monitor", change)));
  mavel.on("sensorChanged", (change) => (logEvent("sensorChanged", change), applyDeviceChange("sensor", change)));
  mavel.on("serialSensorChanged", (change) => (logEvent("serialSensorChanged", change), applyDeviceChange("serial sensor", change)));
  mavel.on("lightingEquipmentChanged", (change) => (logEvent("lightingEquipmentChanged", change), applyDeviceChange("lighting", change)));
  mavel.on("sessionChanged", (change) => {
    logEvent("sessionChanged", change);
    showSession().catch(report);
  });
  mavel.on("systemTimeChanged", (time) => logEvent("systemTimeChanged", time));
  return mavel.listening();
}

/** @param {"POST" | "DELETE" | "PUT"} method */
async function power(method) {
  const status = element("power-status");
  try {
    await mavel.powerManagementSettings(method);
    status.textContent = `${method} answered 200 at ${new Date().toLocaleTimeString()}`;
    status.className = "";
  } catch (error) {
    status.textContent = `${method} failed: ${error instanceof Error ? error.message : String(error)}`;
    status.className = "error";
  }
}

async function start() {
  for (const method of /** @type {const} */ (["POST", "DELETE", "PUT"])) {
    element(`power-${method.toLowerCase()}`).addEventListener("click", () => void power(method));
  }
  // Screen and device events flow once the page has asked for screens and
  // switched device notifications on, as in a web view.
  await listen();
  showScreens(await mavel.screens("GET"));
  const found = await mavel.deviceNotification("PUT");
  applyDeviceChange("monitor", found.monitors);
  applyDeviceChange("sensor", found.sensors);
  applyDeviceChange("lighting", found.lightingEquipments);
  await Promise.all([showSystem(), showSession(), showLists()]);
  element("status").textContent = "Live: events appear below as the library sends them.";
  document.body.dataset.ready = "true";
}

start().catch(report);
