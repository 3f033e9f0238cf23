// Calls the declarations must refuse; tsc fails when one of them is accepted.
import * as mavel from "../../web/mavel.js";

export async function misuse() {
  // @ts-expect-error ScreenAtIndex needs its index
  await mavel.screenAtIndex("GET");
  // @ts-expect-error an index is a number, not a point
  await mavel.screenAtIndex("GET", { params: { index: "100x100" } });
  // @ts-expect-error System/KEXT takes GET only
  await mavel.systemKEXT("POST");
  // @ts-expect-error the login item's body needs a name
  await mavel.systemLoginItem("PUT", { body: { enable: true } });
  // @ts-expect-error lock states are "locked" or "unlocked"
  const state: "on" = (await mavel.systemLockState("GET")).state;
  // @ts-expect-error no such event
  mavel.on("screenAdded", () => {});
  // @ts-expect-error systemTimeChanged carries bare text
  mavel.on("systemTimeChanged", (time: { date: string }) => time);
  return state;
}
