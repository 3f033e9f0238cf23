// mavel-cli serve keeps other pages and programs out and survives clients
// that misbehave, answering good requests all the while.
// usage: node tests/web/server.test.mjs BUILD_FOLDER
import { execFileSync } from "node:child_process";
import { connect } from "node:net";
import { networkInterfaces } from "node:os";
import { check, startServe, waitFor } from "./serve.mjs";

const server = await startServe();

/** Sends raw bytes; resolves with what came back once the server closed. */
function raw(bytes, { host = "127.0.0.1", keepOpen = false } = {}) {
  return new Promise((done) => {
    const socket = connect({ host, port: server.port });
    let received = "";
    socket.on("data", (chunk) => (received += chunk));
    socket.on("error", () => done({ received, closed: true }));
    socket.on("close", () => done({ received, closed: true }));
    socket.on("connect", () => (keepOpen ? socket.write(bytes) : socket.end(bytes)));
  });
}

const statusOf = (text) => Number(/^HTTP\/1\.1 (\d{3}) /.exec(text)?.[1] ?? 0);

async function goodRequestAnswers(what) {
  const answer = await server.request("GET", "/mavel.internal/System/LockState");
  check(answer.status === 200 && JSON.parse(answer.text).value.state === "unlocked", `a good request is answered ${what}`);
}

try {
  // Every listening socket of the server is on a loopback address.
  const table = execFileSync("ss", ["-Hltn", `sport = :${server.port}`], { encoding: "utf8" });
  const local = table.trim().split("\n").map((line) => line.trim().split(/\s+/)[3]);
  check(local.length >= 1, `ss lists the server's sockets on port ${server.port}`);
  for (const address of local) {
    check(address === `127.0.0.1:${server.port}` || address === `[::1]:${server.port}`, `${address} is a loopback address`);
  }
  // Wine keeps a program's sockets in its wineserver: every socket that
  // process listens on (the prefix's other programs' included) is loopback.
  const sockets = execFileSync("ss", ["-Hltnp"], { encoding: "utf8" }).trim().split("\n");
  const owner = sockets.find((line) => line.includes(`:${server.port} `))?.match(/pid=(\d+),/)?.[1];
  check(owner, "ss names the process that holds the server's sockets");
  const held = sockets.filter((line) => line.includes(`pid=${owner},`));
  for (const line of held) check(/ (127\.0\.0\.1|\[::1\]):\d+ /.test(line), `only loopback sockets listen: ${line}`);
  // And a connection to this machine's outward addresses is refused.
  const outward = Object.entries(networkInterfaces()).flatMap(([name, entries]) =>
    entries.filter((entry) => !entry.internal).map((entry) => (entry.scopeid ? `${entry.address}%${name}` : entry.address)),
  );
  for (const address of outward) {
    const reached = await new Promise((done) => {
      const socket = connect({ host: address, port: server.port });
      socket.on("connect", () => done(socket.destroy() || true));
      socket.on("error", () => done(false));
    });
    check(!reached, `${address}:${server.port} cannot be reached`);
  }

  // Refusals: [what, path, headers, status].
  const token = server.token;
  const wrong = token.replace(/^./, (c) => (c === "0" ? "1" : "0"));
  const refusals = [
    ["no token", "/mavel.internal/Screens", {}, 401],
    ["a wrong token", "/mavel.internal/Screens", { "X-Mavel-Token": wrong }, 401],
    ["a token one digit short", "/mavel.internal/Screens", { "X-Mavel-Token": token.slice(1) }, 401],
    ["a wrong cookie", "/", { Cookie: `mavel_token=${wrong}` }, 401],
    ["no token for a file", "/dashboard.js", {}, 401],
    ["no token for events", "/mavel.internal/events", {}, 401],
    ["no token for the development aid", "/mavel.dev/send/time-change", {}, 401],
    ["a foreign Origin", "/mavel.internal/Screens", { "X-Mavel-Token": token, Origin: "http://evil.example" }, 403],
    ["an Origin on another port", "/mavel.internal/Screens", { "X-Mavel-Token": token, Origin: `http://127.0.0.1:${server.port + 1}` }, 403],
    ["a foreign Host", "/mavel.internal/Screens", { "X-Mavel-Token": token, Host: `evil.example:${server.port}` }, 403],
    ["a cross-site fetch", "/mavel.internal/Screens", { "X-Mavel-Token": token, "Sec-Fetch-Site": "cross-site" }, 403],
    ["a file outside web/", "/..%2fREADME.md", { "X-Mavel-Token": token }, 404],
    ["an unknown route", "/mavel.internal/Nothing", { "X-Mavel-Token": token }, 404],
  ];
  for (const [what, path, headers, status] of refusals) {
    const head = Object.entries({ Host: `127.0.0.1:${server.port}`, ...headers }).map(([name, value]) => `${name}: ${value}\r\n`);
    const answer = await raw(`GET ${path} HTTP/1.1\r\n${head.join("")}\r\n`);
    check(statusOf(answer.received) === status, `${what} is answered ${status}, not: ${answer.received.split("\r\n")[0]}`);
  }

  // The start page trades the printed token for a cookie that scripts cannot read.
  const start = await fetch(server.open, { redirect: "manual" });
  const cookie = start.headers.get("set-cookie") ?? "";
  check(start.status === 302 && cookie.startsWith(`mavel_token=${token};`) && /HttpOnly/.test(cookie) && /SameSite=Strict/.test(cookie), "the start page sets the token cookie");
  const page = await fetch(`${server.origin}/`, { headers: { Cookie: `mavel_token=${token}` } });
  check(page.status === 200 && (await page.text()).includes("dashboard.js"), "the cookie opens the dashboard");
  const own = await server.request("GET", "/mavel.internal/System/LockState", { headers: { Origin: server.origin } });
  check(own.status === 200, "the server's own Origin is let through");

  // A flood of bad clients, with good requests in between.
  const slow = { count: 12, closed: 0 };
  for (let i = 0; i < slow.count; ++i) raw("GET /mavel.internal/Scr", { keepOpen: true }).then(() => ++slow.closed);
  const floods = [
    ["garbage", () => raw("\x00\x01\x02 not http at all\r\n\r\n"), 400],
    ["a bare line feed head", () => raw("GET / HTTP/1.1\nHost: x\n\n"), 0],
    ["no target", () => raw("GET HTTP/1.1\r\n\r\n"), 400],
    ["a folded header", () => raw("GET / HTTP/1.1\r\nA: b\r\n c\r\n\r\n"), 400],
    ["a chunked body", () => raw("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n"), 400],
    ["a huge head", () => raw(`GET / HTTP/1.1\r\nX: ${"a".repeat(64 * 1024)}\r\n\r\n`), 431],
    ["many headers", () => raw(`GET / HTTP/1.1\r\n${"A: b\r\n".repeat(200)}\r\n`), 431],
    ["a huge body", () => raw(`PUT /mavel.internal/Screens HTTP/1.1\r\nContent-Length: 999999999\r\n\r\n`), 413],
    ["a body shorter than said", () => raw(`PUT /x HTTP/1.1\r\nContent-Length: 10\r\n\r\nab`), 0],
  ];
  for (let round = 0; round < 10; ++round) {
    const results = await Promise.all(floods.map(([, send]) => send()));
    results.forEach((result, i) => {
      const [what, , status] = floods[i];
      check(result.closed, `the server closes the connection of ${what}`);
      if (status) check(statusOf(result.received) === status, `${what} is answered ${status}, not: ${result.received.split("\r\n")[0]}`);
    });
    await goodRequestAnswers(`in round ${round} of the flood`);
  }
  // Slow clients are cut off in the end rather than held for ever.
  await waitFor("the server closing the slow clients", () => slow.closed === slow.count, 60000);
  await goodRequestAnswers("after the flood");
  console.log(`server: ${refusals.length} refusals, ${floods.length * 10} bad requests and ${slow.count} slow clients survived`);
} finally {
  server.stop();
}
