#pragma once
// Logic of the "KORVO AI 2" properties dialog.

namespace korvo {

struct TModul;

namespace Korvo_AI_2 {

// Writes the type's default parameter words and channel comments into a module that
// has just been placed; the dialog's own state is not touched.
void SetDefaults(TModul& module);

}  // namespace Korvo_AI_2
}  // namespace korvo
