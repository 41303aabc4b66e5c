#pragma once
// Where a MAXScript text comes from; it decides what the text may do.

namespace MAXScript {
enum class ScriptSource : int { NotSpecified, Embedded, NonEmbedded, Dynamic, DynamicAlways };
}
