// Every answer and event of a tour through mavel-cli serve against the
// contract's schemas, and the answers byte for byte as the library wrote them.
// usage: node tests/web/contract.test.mjs BUILD_FOLDER
import Ajv2020 from "ajv/dist/2020.js";
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { check, runWine, sourceFolder, startServe, waitFor, worldFile } from "./serve.mjs";

const schema = JSON.parse(readFileSync(join(sourceFolder, "contract/mavel.schema.json"), "utf8"));
const routes = JSON.parse(readFileSync(join(sourceFolder, "contract/routes.json"), "utf8"));

const ajv = new Ajv2020({ strict: true, allErrors: true });
ajv.addSchema(schema);
const validator = (name) => {
  check(name in schema.$defs, `routes.json names ${name}, which mavel.schema.json defines`);
  return ajv.getSchema(`${schema.$id}#/$defs/${name}`);
};

function expectValid(name, value, what) {
  const validate = validator(name);
  if (!validate(value)) {
    throw new Error(`check failed: ${what} does not match ${name}: ${ajv.errorsText(validate.errors)}\n${JSON.stringify(value).slice(0, 400)}`);
  }
}

// [method, export, path after /mavel.internal/, body, status]: every method of
// every resource at least once with 200, and each kind of refusal.
const temporary = `:temporary/mavel-contract-${process.pid}.evtx`;
const tour = [
  ["GET", "DeviceNotification", "DeviceNotification?supports", undefined, 200],
  ["GET", "DeviceNotification", "DeviceNotification", undefined, 400],
  ["PUT", "DeviceNotification", "DeviceNotification", undefined, 200],
  ["POST", "DeviceNotification", "DeviceNotification", undefined, 405],
  ["GET", "Screens", "Screens", undefined, 200],
  ["PUT", "Screens", "Screens", undefined, 200],
  ["GET", "ScreenAtIndex", "Screens/index/0", undefined, 200],
  ["GET", "ScreenAtIndex", "Screens/index/1?profile", undefined, 200],
  ["GET", "ScreenAtIndex", "Screens/index/0?gamma", undefined, 200],
  ["GET", "ScreenAtIndex", "Screens/index/1?graphicsCard", undefined, 200],
  ["GET", "ScreenAtIndex", "Screens/index/7", undefined, 400],
  ["PUT", "ScreenAtIndex", "Screens/index/0", JSON.stringify({ gamma: { red: [0.5] } }), 400],
  ["PUT", "ScreenAtIndex", "Screens/index/0", JSON.stringify({ profile: "C:\\profiles\\proof.icm" }), 200],
  ["DELETE", "ScreenAtIndex", "Screens/index/0", undefined, 200],
  ["GET", "ScreensForMonitor", "Screens/monitor/45012345/CS2740", undefined, 200],
  ["GET", "ScreensForMonitor", "Screens/monitor/45012345/CS2740?graphicsCard", undefined, 200],
  ["GET", "ScreensForMonitor", "Screens/monitor/none/none", undefined, 404],
  ["PUT", "ScreensForMonitor", "Screens/monitor/45012345/CS2740", JSON.stringify({ profile: "C:\\profiles\\proof.icm" }), 200],
  ["DELETE", "ScreensForMonitor", "Screens/monitor/45012345/CS2740", undefined, 200],
  ["GET", "ScreensForPoint", "Screens/point/3000x500?gamma", undefined, 200],
  ["GET", "ScreensForPoint", "Screens/point/100,200", undefined, 400],
  ["PUT", "ScreensForPoint", "Screens/point/100x100", "{}", 400],
  ["PUT", "ScreensForPoint", "Screens/point/100x100", JSON.stringify({ profile: "C:\\profiles\\proof.icm" }), 200],
  ["DELETE", "ScreensForPoint", "Screens/point/100x100", undefined, 200],
  ["GET", "SystemInformation", "System/Information", undefined, 200],
  ["GET", "SystemInformation", "System/Information?os&memory", undefined, 200],
  ["DELETE", "SystemInformation", "System/Information", undefined, 405],
  ["GET", "SystemProcesses", "System/Processes", undefined, 200],
  ["GET", "SystemProcesses", "System/Processes/explorer.exe", undefined, 200],
  ["GET", "SystemUSBDevices", "System/USBDevices", undefined, 200],
  ["GET", "SystemApplications", "System/Applications", undefined, 200],
  ["GET", "SystemApplicationWindows", "System/ApplicationWindows", undefined, 200],
  ["GET", "SystemKEXT", "System/KEXT", undefined, 200],
  ["GET", "SystemPrinters", "System/Printers", undefined, 200],
  ["GET", "SystemLoginState", "System/LoginState", undefined, 200],
  ["GET", "SystemLoginState", "System/LoginState?filter=state", undefined, 200],
  // Outside the request schema on purpose: an unknown filter answers null.
  ["GET", "SystemLoginState", "System/LoginState?filter=nothing", undefined, 200, "unchecked request"],
  ["GET", "SystemLockState", "System/LockState", undefined, 200],
  ["GET", "SystemScreenSaver", "System/ScreenSaver", undefined, 200],
  ["DELETE", "SystemScreenSaver", "System/ScreenSaver", undefined, 500],
  ["GET", "SystemPreferredLanguage", "System/PreferredLanguage?resources=ja-JP,en-GB,en-US&fallback=en", undefined, 200],
  ["PUT", "SystemLoginItem", "System/LoginItem", JSON.stringify({ name: "Mavel contract check", enable: false }), 200],
  ["PUT", "SystemLoginItem", "System/LoginItem", JSON.stringify({ name: "", enable: true }), 400],
  ["POST", "SystemEventLogBackup", "System/EventLog/Backup", JSON.stringify({ srcPath: "Application", dstPath: temporary }), 200],
  ["PUT", "PowerManagementSettings", "PowerManagementSettings", undefined, 200],
  ["POST", "PowerManagementSettings", "PowerManagementSettings", undefined, 200],
  ["DELETE", "PowerManagementSettings", "PowerManagementSettings", undefined, 200],
  ["GET", "PowerManagementSettings", "PowerManagementSettings", undefined, 405],
  ["DELETE", "DeviceNotification", "DeviceNotification", undefined, 200],
  ["DELETE", "Screens", "Screens", undefined, 200],
  // Before kernel 6.2 the saver is looked for on the input desktop, which Wine has.
  ["WORLD", "", "", JSON.stringify({ ostrel: { os: { kernelVersion: "6.1.7601" } } }), 200],
  ["DELETE", "SystemScreenSaver", "System/ScreenSaver", undefined, 200],
];

// The request a path stands for, as routes.json describes it: parameters
// from the path's segments (an index is a number), the query as text members.
function requestOf(exportName, path, body) {
  const [route, query = ""] = path.split("?");
  const pattern = routes.resources[exportName].path.split("/");
  const segments = route.split("/");
  const params = {};
  pattern.forEach((piece, i) => {
    const name = /^\{(\w+)\??\}$/.exec(piece)?.[1];
    if (name && segments[i] !== undefined) params[name] = name === "index" ? Number(segments[i]) : decodeURIComponent(segments[i]);
  });
  const queryObject = Object.fromEntries([...new URLSearchParams(query)].map(([name, value]) => [name, value === "" && !query.includes(`${name}=`) ? true : value]));
  return { params, query: queryObject, body: body === undefined ? undefined : JSON.parse(body) };
}

const server = await startServe();
try {
  // The server hands on the library's text unchanged: the same call through
  // mavel-cli, which prints what the host received, gives the same bytes.
  for (const [exportName, args, path] of [
    ["SystemPrinters", [], "System/Printers"],
    ["SystemInformation", ["-X", "DELETE"], "System/Information"],
    ["SystemInformation", ["--query", '{"cpu":true}'], "System/Information?cpu"],
  ]) {
    const direct = await runWine("mavel-cli.exe", [exportName, "--raw", ...args]);
    const [status, text] = direct.out.replace(/\r?\n$/, "").split("\n");
    const method = args[0] === "-X" ? args[1] : "GET";
    const served = await server.request(method, `/mavel.internal/${path}`);
    check(String(served.status) === status && served.text === text, `${method} ${path} is served as mavel-cli printed it`);
  }

  const answered = new Set();
  for (const [method, exportName, path, body, status, uncheckedRequest] of tour) {
    if (method === "WORLD") {
      check((await server.request("POST", "/mavel.dev/world", { body })).status === 200, "the world loads");
      continue;
    }
    const what = `${method} /mavel.internal/${path}`;
    const answer = await server.request(method, `/mavel.internal/${path}`, { body });
    check(answer.status === status, `${what} answers ${status}, not ${answer.status} ${answer.text}`);
    check(answer.type === "application/json", `${what} answers JSON`);
    const envelope = JSON.parse(answer.text);
    if (status !== 200) {
      expectValid(routes.errorEnvelope, envelope, what);
      continue;
    }
    expectValid(routes.successEnvelope, envelope, what);
    const shapes = routes.resources[exportName].methods[method];
    check(shapes, `routes.json lists ${method} for ${exportName}`);
    expectValid(shapes.value, envelope.value, what);
    // What the library accepted, the request schemas accept too.
    const request = requestOf(exportName, path, body);
    for (const part of uncheckedRequest ? [] : ["params", "query", "body"]) {
      if (shapes[part]) expectValid(shapes[part], request[part] ?? {}, `the ${part} of ${what}`);
      else check(part === "body" ? request.body === undefined : Object.keys(request[part]).length === 0, `${what} needs no ${part}`);
    }
    answered.add(`${method} ${exportName}`);
  }
  for (const [exportName, resource] of Object.entries(routes.resources)) {
    for (const method of Object.keys(resource.methods)) {
      check(answered.has(`${method} ${exportName}`), `the tour has a successful ${method} ${exportName}`);
    }
  }

  // Events, each brought about as a web view host would see it happen.
  const events = await server.events();
  const dev = async (path, body) => {
    const answer = await server.request("POST", `/mavel.dev/${path}`, { body });
    check(answer.status === 200, `POST /mavel.dev/${path} answers 200, not ${answer.status} ${answer.text}`);
  };
  const expectEvent = async (name) => {
    const found = await waitFor(`the event ${name}`, () => events.find((event) => event.name === name && !event.seen));
    found.seen = true;
    return found;
  };
  check((await server.request("GET", "/mavel.internal/Screens")).status === 200, "GET Screens switches screen watching on");
  check((await server.request("PUT", "/mavel.internal/DeviceNotification")).status === 200, "PUT DeviceNotification");
  // Each change waits for its event, so that the next is not part of its rescan.
  const steps = [
    ["world", JSON.stringify({ carvel2: worldFile("one-screen-world.json").carvel2 }), "screenChanged"],
    ["plug/monitor", undefined, "monitorChanged"],
    ["plug/sensor", undefined, "sensorChanged"],
    ["plug/serial-sensor", undefined, "serialSensorChanged"],
    ["plug/lighting", undefined, "lightingEquipmentChanged"],
    ["unplug/lighting", undefined, "lightingEquipmentChanged"],
    ["send/session-lock", undefined, "sessionChanged"],
    ["send/console-disconnect", undefined, "sessionChanged"],
    ["send/time-change", undefined, "systemTimeChanged"],
  ];
  for (const [path, body, name] of steps) {
    await dev(path, body);
    const event = await expectEvent(name);
    const payload = name === "systemTimeChanged" ? event.data : JSON.parse(event.data);
    expectValid(routes.events[name], payload, `the event ${name} after ${path}`);
  }
  const kinds = new Set(events.map((event) => event.name));
  for (const name of Object.keys(routes.events)) check(kinds.has(name), `the tour brought about ${name}`);
  check(JSON.parse(events[0].data).length === 1, "screenChanged carries the one screen of the new world");
  const lighting = events.filter((event) => event.name === "lightingEquipmentChanged").map((event) => JSON.parse(event.data));
  check(lighting[0].added.length === 1 && lighting[1].removed.length === 1, "the plugged lighting equipment comes and goes");
  console.log(`contract: ${tour.length} answers and ${events.length} events match their schemas`);
} finally {
  server.stop();
}
