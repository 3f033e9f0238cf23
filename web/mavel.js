// The library's resources and events for a page served by mavel-cli serve:
// one function per resource, its first argument the method, and on() for
// events. No dependencies; the types are those of contract/mavel.d.ts.

/** @typedef {import("../contract/mavel").Method} Method */
/** @typedef {import("../contract/mavel").ErrorObject} ErrorObject */
/** @typedef {import("../contract/mavel").MavelEventMap} MavelEventMap */
/** @typedef {{ params?: Record<string, unknown>, query?: Record<string, unknown>, body?: unknown }} Request */
/** @typedef {import("../contract/mavel").BridgeRefusal} BridgeRefusal */

const base = "/mavel.internal/";

export class MavelError extends Error {
  /**
   * @param {number} status
   * @param {ErrorObject | BridgeRefusal} error
   */
  constructor(status, error) {
    super(error.message);
    this.name = "MavelError";
    /** @readonly */
    this.status = status;
    /** @readonly */
    this.error = error;
  }
}

/**
 * The path of a route with its parameters filled in: {name} is required,
 * {name?} is left out with its slash when the request has none.
 * @param {string} pattern
 * @param {Record<string, unknown>} params
 */
function fillPath(pattern, params) {
  return pattern.replace(/\/?\{(\w+)(\??)\}/g, (whole, name, optional) => {
    const value = params[name];
    if (value === undefined || value === null || value === "") {
      if (optional) return "";
      throw new TypeError(`the route parameter ${name} is missing`);
    }
    return `${whole.startsWith("/") ? "/" : ""}${encodeURIComponent(String(value))}`;
  });
}

/** A member that is true travels as a bare name; false and null are left out. */
function queryString(/** @type {Record<string, unknown>} */ query) {
  const pieces = [];
  for (const [name, value] of Object.entries(query)) {
    if (value === undefined || value === null || value === false) continue;
    pieces.push(value === true ? encodeURIComponent(name) : `${encodeURIComponent(name)}=${encodeURIComponent(String(value))}`);
  }
  return pieces.length ? `?${pieces.join("&")}` : "";
}

/**
 * @param {string} pattern
 * @param {Method} method
 * @param {Request} [request]
 * @returns {Promise<any>}
 */
async function call(pattern, method, request = {}) {
  const url = base + fillPath(pattern, request.params ?? {}) + queryString(request.query ?? {});
  /** @type {RequestInit} */
  const init = { method, credentials: "same-origin" };
  if (request.body !== undefined) {
    init.body = typeof request.body === "string" ? request.body : JSON.stringify(request.body);
    init.headers = { "Content-Type": "application/json" };
  }
  const response = await fetch(url, init);
  const type = response.headers.get("Content-Type") ?? "";
  if (!type.startsWith("application/json")) {
    // The server itself refused (token, route, size): its reason is text.
    throw new MavelError(response.status, { name: "BridgeError", message: (await response.text()).trim() });
  }
  const envelope = await response.json();
  if (envelope.error !== null) throw new MavelError(response.status, envelope.error);
  return envelope.value;
}

/** @param {string} pattern */
const resource = (pattern) => (/** @type {any} */ method, /** @type {any} */ request = undefined) => call(pattern, method, request);

/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["DeviceNotification"]>} */
export const deviceNotification = resource("DeviceNotification");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["Screens"]>} */
export const screens = resource("Screens");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["ScreenAtIndex"]>} */
export const screenAtIndex = resource("Screens/index/{index}");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["ScreensForMonitor"]>} */
export const screensForMonitor = resource("Screens/monitor/{serial}/{product}");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["ScreensForPoint"]>} */
export const screensForPoint = resource("Screens/point/{point}");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["PowerManagementSettings"]>} */
export const powerManagementSettings = resource("PowerManagementSettings");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemInformation"]>} */
export const systemInformation = resource("System/Information");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemProcesses"]>} */
export const systemProcesses = resource("System/Processes/{process?}");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemUSBDevices"]>} */
export const systemUSBDevices = resource("System/USBDevices");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemApplications"]>} */
export const systemApplications = resource("System/Applications");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemApplicationWindows"]>} */
export const systemApplicationWindows = resource("System/ApplicationWindows");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemKEXT"]>} */
export const systemKEXT = resource("System/KEXT");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemPrinters"]>} */
export const systemPrinters = resource("System/Printers");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemLoginState"]>} */
export const systemLoginState = resource("System/LoginState");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemLockState"]>} */
export const systemLockState = resource("System/LockState");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemScreenSaver"]>} */
export const systemScreenSaver = resource("System/ScreenSaver");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemPreferredLanguage"]>} */
export const systemPreferredLanguage = resource("System/PreferredLanguage");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemLoginItem"]>} */
export const systemLoginItem = resource("System/LoginItem");
/** @type {import("../contract/mavel").ResourceCall<import("../contract/mavel").Resources["SystemEventLogBackup"]>} */
export const systemEventLogBackup = resource("System/EventLog/Backup");

/** @type {EventSource | null} */
let stream = null;
/** @type {Promise<void> | null} */
let opened = null;
/** @type {Map<string, Set<(payload: any) => void>>} */
const listeners = new Map();

/** systemTimeChanged carries bare text; every other payload is JSON. */
function deliver(/** @type {string} */ event, /** @type {MessageEvent} */ message) {
  const payload = event === "systemTimeChanged" ? message.data : JSON.parse(message.data);
  for (const callback of listeners.get(event) ?? []) callback(payload);
}

/**
 * @template {keyof MavelEventMap} E
 * @param {E} event
 * @param {(payload: MavelEventMap[E]) => void} callback
 * @returns {() => void}
 */
export function on(event, callback) {
  listening();
  if (!stream) throw new Error("no event stream");
  let callbacks = listeners.get(event);
  if (!callbacks) {
    const created = new Set();
    listeners.set(event, (callbacks = created));
    stream.addEventListener(event, (message) => deliver(event, /** @type {MessageEvent} */ (message)));
  }
  callbacks.add(callback);
  return () => void listeners.get(event)?.delete(callback);
}

/** Opens the event stream when it is not yet open; resolves once it is. */
export function listening() {
  if (!stream) {
    const source = new EventSource(`${base}events`, { withCredentials: true });
    stream = source;
    opened = new Promise((resolve) => source.addEventListener("open", () => resolve(), { once: true }));
  }
  return /** @type {Promise<void>} */ (opened);
}
