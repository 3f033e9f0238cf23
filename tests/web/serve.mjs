// Starts mavel-cli serve under Wine for one test script and talks to it.
import { spawn } from "node:child_process";
import { readFileSync } from "node:fs";
import { createInterface } from "node:readline";
import { join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

export const sourceFolder = resolve(fileURLToPath(import.meta.url), "../../..");
export const buildFolder = resolve(process.argv[2] ?? join(sourceFolder, "build"));

// Far above any answer's time; only a server that never answers reaches it.
const kAnswerLimitMs = 30000;

/** Fails the script with a message; every check goes through here. */
export function check(condition, message) {
  if (!condition) throw new Error(`check failed: ${message}`);
}

/** Waits for a condition, polling; only an upper bound for failure, never a speed target. */
export async function waitFor(what, condition, limitMs = 20000) {
  const end = Date.now() + limitMs;
  for (;;) {
    const result = await condition();
    if (result) return result;
    if (Date.now() > end) throw new Error(`check failed: ${what} did not happen within ${limitMs} ms`);
    await new Promise((done) => setTimeout(done, 100));
  }
}

/** The world sections of a file beside mavel-cli's sources. */
export const worldFile = (name) => JSON.parse(readFileSync(join(sourceFolder, "tools/mavel-cli", name), "utf8"));

// Wine's desktop process, started by the first program that makes a window,
// inherits that program's error output and may outlive it. Given the test
// runner's own, it would keep the runner waiting after the script ended; so
// programs get a pipe of the script's, copied to its error output.
function spawnWine(program, args, overrides) {
  const child = spawn(join(sourceFolder, "cmake/wine-run.sh"), [join(buildFolder, "wineprefix"), join(buildFolder, "bin", program), ...args], {
    env: { ...process.env, MAVEL_DLL_OVERRIDES: overrides },
    stdio: ["ignore", "pipe", "pipe"],
  });
  child.stderr.on("data", (chunk) => process.stderr.write(chunk));
  return child;
}

/** Runs a Windows program of the build under Wine; resolves with its output once it ended. */
export function runWine(program, args, overrides = "") {
  return new Promise((done, failed) => {
    const child = spawnWine(program, args, overrides);
    let out = "";
    child.stdout.on("data", (chunk) => (out += chunk));
    child.on("error", failed);
    const outputEnded = new Promise((ended) => child.stdout.on("end", ended));
    child.on("exit", (code) => outputEnded.then(() => {
      child.stderr.destroy();
      done({ code, out });
    }));
  });
}

/**
 * mavel-cli serve on a port the system chooses, with the configuration-manager
 * stand-in so that device arrivals can be played.
 */
export async function startServe() {
  const child = spawnWine("mavel-cli.exe", ["serve", "--port", "0"], "cfgmgr32=n,b");
  const streams = new AbortController();
  let stopping = false;
  child.on("exit", (code, signal) => {
    if (!stopping) console.error(`mavel-cli serve ended before the script stopped it: status ${code}, signal ${signal}`);
  });
  const lines = createInterface({ input: child.stdout });
  const started = {};
  const printed = await new Promise((done) => {
    const limit = setTimeout(() => done(false), 60000);
    lines.on("line", (line) => {
      const colon = line.indexOf(":");
      const [key, value] = [line.slice(0, colon), line.slice(colon + 1).trim()];
      if (key === "token") started.token = value;
      if (key !== "open") return;
      started.open = value;
      started.port = Number(new URL(value).port);
      clearTimeout(limit);
      done(true);
    });
    child.on("close", () => done(false));
  });
  check(printed, "mavel-cli serve starts and prints the address to open");
  check(started.port > 0 && /^[0-9a-f]{64}$/.test(started.token), "serve printed a port and a 64-digit token");
  const origin = `http://127.0.0.1:${started.port}`;
  return {
    ...started,
    child,
    origin,
    /** A request with the token; answers status, media type and text. */
    async request(method, path, { body, headers = {} } = {}) {
      const response = await fetch(origin + path, {
        method,
        body,
        headers: { "X-Mavel-Token": started.token, ...headers },
        signal: AbortSignal.timeout(kAnswerLimitMs),
      }).catch((error) => {
        throw new Error(`check failed: ${method} ${path} got no answer: ${error.cause?.message ?? error.message}`);
      });
      return { status: response.status, type: response.headers.get("content-type") ?? "", text: await response.text() };
    },
    /** Collects the events of /mavel.internal/events as {name, data}. */
    async events() {
      const response = await fetch(`${origin}/mavel.internal/events`, {
        headers: { "X-Mavel-Token": started.token },
        signal: streams.signal,
      });
      check(response.status === 200 && response.headers.get("content-type") === "text/event-stream", "the event stream opens");
      const received = [];
      const decoder = new TextDecoder();
      let pending = "";
      (async () => {
        for await (const chunk of response.body) {
          pending += decoder.decode(chunk, { stream: true });
          for (let end = pending.indexOf("\n\n"); end >= 0; end = pending.indexOf("\n\n")) {
            const frame = pending.slice(0, end).split("\n");
            pending = pending.slice(end + 2);
            const name = frame.find((line) => line.startsWith("event: "))?.slice(7);
            const data = frame.filter((line) => line.startsWith("data: ")).map((line) => line.slice(6)).join("\n");
            if (name) received.push({ name, data });
          }
        }
      })().catch(() => {});
      return received;
    },
    /** Ends the server and lets go of everything that could keep this script alive. */
    stop() {
      stopping = true;
      child.kill("SIGKILL");
      streams.abort();
      lines.close();
      child.stdout.destroy();
      child.stderr.destroy();
    },
  };
}
