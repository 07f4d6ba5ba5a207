#pragma once

// The part of a set-up's report (JSON) that the loops beyond the linear one
// add: the sampled corrector's recurrence, the plane its poles are drawn in
// and what its analysis approximates or leaves out.
namespace labo {

class Json;
struct Laboratory;

// Writes the keys "digital" and "plane" into the object `json` has open:
//   "digital": null, or {"recurrence": "u(k) = ...", "legend": "..."};
//   "plane": {"domain": "s" | "z", "period": Te (0 in s), "method": "...",
//             "leftOut": "...", "note": "..."}, the last three "" when there
//             is nothing to say; "note" says, beside the plane, what its
//             poles approximate (a delay's Padé order).
void BeyondJson(Json& json, const Laboratory& lab);

}  // namespace labo
