// The smallest page written against the client: one screen by point, its
// graphics card, and the lock state kept up to date by events.
import { MavelError, on, screens, screenAtIndex, screensForPoint, systemLockState } from "./mavel.js";

const answer = /** @type {HTMLElement} */ (document.getElementById("answer"));
const lock = /** @type {HTMLElement} */ (document.getElementById("lock"));

async function describe() {
  const list = await screens("GET");
  const primary = list.findIndex((screen) => screen.isPrimary);
  const card = await screenAtIndex("GET", { params: { index: primary }, query: { graphicsCard: true } });
  const cardName = card && typeof card === "object" && "vram" in card ? card.name : "no graphics card";
  try {
    const atPoint = await screensForPoint("GET", { params: { point: "100x100" } });
    answer.textContent = `${atPoint.length} screen(s) at 100x100; the primary screen uses ${cardName}`;
  } catch (error) {
    // A point outside every screen is answered 404 NotFoundError.
    if (!(error instanceof MavelError) || error.status !== 404) throw error;
    answer.textContent = `no screen at 100x100 (${error.error.name})`;
  }
  lock.textContent = `The session is ${(await systemLockState("GET")).state}.`;
}

on("sessionChanged", ({ type }) => (lock.textContent = `The session was just ${type}.`));
describe().catch((error) => (answer.textContent = String(error)));
