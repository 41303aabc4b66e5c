#include "render/InteractiveRender.h"
#include "scene/StandaloneHost.h"

#include <GetCOREInterface.h>
#include <maxscript/maxscript.h>
#include <maxapi.h>

#include <mutex>

namespace standalone {

namespace {

// The restart script as the host knows it; the model below does what its statements do.
constexpr wchar_t kRestartScript[] =
    L"try(fn zenithraBool v = (local s = try(toLower(v as string))catch(\"\");s == \"true\" or "
    L"s == \"1\" or s == \"2\");fn zenithraIprActive = (local active = false;try(active = "
    L"zenithraBool(vrayIsIPRRunning()))catch();if not active do(try(local r = "
    L"renderers.current;try(active = zenithraBool(r.isIPRRunning))catch(try(active = "
    L"zenithraBool(r.isIPRRunning()))catch()))catch());active);if zenithraIprActive() "
    L"do(try(vrayStopIPR())catch(try(renderers.current.stopIPR())catch());local guard = "
    L"0;while zenithraIprActive() and guard < 20 do(guard = guard + 1;sleep "
    L"0.025;try(windows.processPostedMessages())catch());try(vrayStartIPR())catch(try("
    L"renderers.current.startIPR())catch());local t = sliderTime;local dt = "
    L"ticksPerFrame;try(sliderTime = t + dt)catch();try(sliderTime = "
    L"t)catch();try(completeRedraw())catch();try(redrawViews())catch()))catch()";

struct Session {
    std::mutex mutex;
    RendererModel model;
    InteractiveRenderState state;
    int pollsLeft = 0;  // still reporting running after a stop
    std::vector<std::wstring> scripts;
    std::function<void(const std::wstring&)> observer;
};

Session& TheSession() {
    static Session session;
    return session;
}

// zenithraBool: lower-cased text form equal to "true", "1" or "2".
bool ScriptBool(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') {
            c = wchar_t(c - L'A' + L'a');
        }
    }
    return text == L"true" || text == L"1" || text == L"2";
}

// zenithraIprActive: the global query first, then the renderer's property or method.
bool IprActive(const Session& s) {
    bool reportsRunning = s.state.running || s.pollsLeft > 0;
    std::wstring answer = reportsRunning ? s.model.runningAnswer : L"false";
    return s.model.query != RendererModel::Query::None && ScriptBool(answer);
}

}  // namespace

void SetRendererModel(const RendererModel& model) {
    std::lock_guard<std::mutex> lock(TheSession().mutex);
    TheSession().model = model;
}

void SetInteractiveRenderRunning(bool running) {
    std::lock_guard<std::mutex> lock(TheSession().mutex);
    TheSession().state.running = running;
}

InteractiveRenderState GetInteractiveRenderState() {
    std::lock_guard<std::mutex> lock(TheSession().mutex);
    return TheSession().state;
}

void ResetInteractiveRender() {
    std::lock_guard<std::mutex> lock(TheSession().mutex);
    TheSession().state = InteractiveRenderState();
    TheSession().pollsLeft = 0;
    TheSession().scripts.clear();
}

std::vector<std::wstring> ExecutedScripts() {
    std::lock_guard<std::mutex> lock(TheSession().mutex);
    return TheSession().scripts;
}

void SetScriptObserver(std::function<void(const std::wstring&)> observer) {
    std::lock_guard<std::mutex> lock(TheSession().mutex);
    TheSession().observer = std::move(observer);
}

}  // namespace standalone

BOOL ExecuteMAXScriptScript(const MCHAR* script, MAXScript::ScriptSource, BOOL, FPValue*, BOOL) {
    using namespace standalone;
    Session& s = TheSession();
    std::wstring text = script ? script : L"";
    std::function<void(const std::wstring&)> observer;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.scripts.push_back(text);
        observer = s.observer;
    }
    if (observer) {
        observer(text);
    }
    if (text != kRestartScript) {
        return FALSE;  // not a script this host understands
    }
    std::vector<TimeValue> moves;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!IprActive(s)) {
            return TRUE;
        }
        s.state.running = false;
        s.state.stops++;
        s.pollsLeft = s.model.pollsBeforeStopped;
        for (int guard = 0; IprActive(s) && guard < 20; ++guard) {
            s.pollsLeft--;  // each pass of the wait loop lets the renderer wind down
        }
        s.pollsLeft = 0;
        s.state.running = true;
        s.state.starts++;
    }
    // The time slider goes one frame forward and back; time-change callbacks see both.
    Interface* core = GetCOREInterface();
    TimeValue t = standalone::CoreTime();
    if (core) {
        core->SetTime(t + GetTicksPerFrame());
        core->SetTime(t);
    }
    std::lock_guard<std::mutex> lock(s.mutex);
    s.state.sliderMoves.push_back(t + GetTicksPerFrame());
    s.state.sliderMoves.push_back(t);
    s.state.redraws++;
    return TRUE;
}
