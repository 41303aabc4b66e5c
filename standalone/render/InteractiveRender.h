#pragma once
// The standalone host's script engine and the interactive render session it drives. The
// plug-in sends one kind of script, the restart of a running interactive render; the host runs
// it against this model. Any other text is recorded and reported as not understood.

#include <max.h>

#include "scene/ZenhostApi.h"

#include <functional>
#include <string>
#include <vector>

namespace standalone {

/// How the current renderer answers "is an interactive render running?".
struct RendererModel {
    enum class Query { GlobalFunction, Property, Method, None };
    Query query = Query::GlobalFunction;
    /// The answer's text form while running; "true", "1" and "2" count as running.
    std::wstring runningAnswer = L"true";
    /// Polls after a stop during which the renderer still reports running.
    int pollsBeforeStopped = 0;
};

struct InteractiveRenderState {
    bool running = false;
    int stops = 0;
    int starts = 0;
    int redraws = 0;
    std::vector<TimeValue> sliderMoves;  ///< every time the script set the time slider
};

ZENHOST_API void SetRendererModel(const RendererModel& model);
ZENHOST_API void SetInteractiveRenderRunning(bool running);
ZENHOST_API InteractiveRenderState GetInteractiveRenderState();
/// Forgets the state and the executed scripts (the renderer model stays).
ZENHOST_API void ResetInteractiveRender();

/// Every script text the host was given, in order.
ZENHOST_API std::vector<std::wstring> ExecutedScripts();
/// Called with each script text before it runs (tests record the order of events).
ZENHOST_API void SetScriptObserver(std::function<void(const std::wstring&)> observer);

}  // namespace standalone
