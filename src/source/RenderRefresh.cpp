#include "source/RenderRefresh.h"

#include "core/HostStrings.h"
#include "core/ZenithraClassDesc.h"
#include "platform/Platform.h"
#include "shading/Zenithra.h"

#include <GetCOREInterface.h>
#include <maxapi.h>
#include <maxscript/maxscript.h>

#include <string>
#include <string_view>

const MCHAR* const IprRestartScript = _M(
    "try(fn zenithraBool v = (local s = try(toLower(v as string))catch(\"\");s == \"true\" or ")
    _M("s == \"1\" or s == \"2\");fn zenithraIprActive = (local active = false;try(active = ") _M(
        "zenithraBool(vrayIsIPRRunning()))catch();if not active do(try(local r = ")
        _M("renderers.current;try(active = zenithraBool(r.isIPRRunning))catch(try(active = ") _M(
            "zenithraBool(r.isIPRRunning()))catch()))catch());active);if zenithraIprActive() ")
            _M("do(try(vrayStopIPR())catch(try(renderers.current.stopIPR())catch());local guard = ")
                _M("0;while zenithraIprActive() and guard < 20 do(guard = guard + 1;sleep ")
                    _M("0.025;try(windows.processPostedMessages())catch());try(vrayStartIPR())"
                       "catch(try(")
                        _M("renderers.current.startIPR())catch());local t = sliderTime;local dt = ")
                            _M("ticksPerFrame;try(sliderTime = t + dt)catch();try(sliderTime = ")
                                _M("t)catch();try(completeRedraw())catch();try(redrawViews())catch("
                                   ")))catch()");

void NotifyChangedWithStructure(ReferenceTarget& target) {
    target.NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, true);
    target.NotifyDependents(FOREVER, 0, REFMSG_SUBANIM_STRUCTURE_CHANGED, NOTIFY_ALL, true);
}

void ReloadSourceMap(Texmap& source, TimeValue t) {
    source.LoadMapFiles(t);
    Interval valid = FOREVER;
    source.Update(t, valid);
}

void RefreshAfterSourceChange(Zenithra* map, Texmap* source, HWND window) {
    if (!map) {
        return;
    }
    map->validity = NEVER;
    if (source) {
        ReloadSourceMap(*source, CurrentTime());
        NotifyChangedWithStructure(*source);
    }
    if (window) {
        map->UpdateMainRollup(window);
    }
    NotifyChangedWithStructure(*map);
    map->NotifyProxies(PART_ALL, REFMSG_CHANGE);
    map->NotifyProxies(0, REFMSG_SUBANIM_STRUCTURE_CHANGED);
    ExecuteMAXScriptScript(IprRestartScript, MAXScript::ScriptSource::Dynamic, TRUE, nullptr,
                           FALSE);
}

bool IsFrameBufferTitle(const MSTR& title) {
    // The title is read into 512 units: at most 511 characters take part.
    std::wstring lower = platform::ToLower(MstrView(title).substr(0, 511));
    for (const MCHAR* word : {_M("v-ray frame buffer"), _M("vray frame buffer"), _M("vfb")}) {
        if (lower.find(word) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

#if defined(_WIN32)
BOOL CALLBACK FindFrameBufferWindowProc(HWND window, LPARAM slot) {
    if (!IsWindowVisible(window)) {
        return TRUE;
    }
    MCHAR buffer[512] = {};
    int length = GetWindowTextW(window, buffer, 512);
    MSTR title = MakeMstr(std::wstring_view(buffer, size_t(length > 0 ? length : 0)));
    if (!IsFrameBufferTitle(title)) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(slot) = window;
    return FALSE;
}
#endif
