// The value rows of a slot rollup: their spinners' set-up, what they show and how a moved
// spinner is written into the block.

#include "ui/SlotRollup.h"

#include "core/ZenithraClassDesc.h"
#include "shading/Zenithra.h"
#include "ui/MapRotationControls.h"

#include "../../res/resource.h"

#include <algorithm>
#include <cmath>

namespace {

// No block parameter: the map rotation row writes the source map's own rotation.
constexpr ParamID kNoParam = ParamID(-1);

struct SpinnerRow {
    int editId;
    int spinnerId;
    ParamID param;
    float min, max, resetValue, scale;
};

// In the order the rows are set up and loaded.
constexpr SpinnerRow kSpinnerRows[] = {
    {IDC_EXPOSURE_EDIT, IDC_EXPOSURE_SPIN, pb_slotExposure, -100, 100, 0, 0.1f},
    {IDC_CONTRAST_EDIT, IDC_CONTRAST_SPIN, pb_slotContrast, 0, 1000, 100, 1},
    {IDC_SATURATION_EDIT, IDC_SATURATION_SPIN, pb_slotSaturation, 0, 1000, 100, 1},
    {IDC_HUE_EDIT, IDC_HUE_SPIN, pb_slotHue, -1, 1, 0, 0.01f},
    {IDC_SUN_EXPOSURE_EDIT, IDC_SUN_EXPOSURE_SPIN, pb_slotSunExposure, -100, 100, 0, 0.1f},
    {IDC_MAP_ROTATION_EDIT, IDC_MAP_ROTATION_SPIN, kNoParam, -36000, 36000, 0, 1},
    {IDC_SPOT_SIZE_EDIT, IDC_SPOT_SIZE_SPIN, pb_slotSunSpotSize, 0, 90, 0, 0.1f},
    {IDC_SPOT_HEIGHT_EDIT, IDC_SPOT_HEIGHT_SPIN, pb_slotSunSpotHeight, 0, 90, 45, 0.1f},
};

void ShowValue(HWND rollup, int spinnerId, float value) {
    if (auto spinner = UseSpinner(rollup, spinnerId)) {
        spinner->SetValue(value, FALSE);
    }
}

void ShowColour(HWND rollup, int swatchId, IParamBlock2& block, ParamID id, TimeValue t, int slot) {
    Point4 colour(1, 1, 1, 1);
    if (slot >= 0 && slot < block.Count(id)) {
        Interval valid = FOREVER;
        Point4 stored;
        if (block.GetValue(id, t, stored, valid, slot)) {
            colour = stored;
        }
    }
    if (auto swatch = UseSwatch(rollup, swatchId)) {
        swatch->SetColor(ToColorRef(colour), FALSE);
    }
}

}  // namespace

void SetupSlotSpinner(HWND rollup, int spinnerId, int editId, float min, float max,
                      float resetValue, float scale) {
    HWND edit = GetDlgItem(rollup, editId);
    auto spinner = UseSpinner(rollup, spinnerId);
    if (!edit || !spinner) {
        return;
    }
    spinner->LinkToEdit(edit, EDITTYPE_FLOAT);
    spinner->SetLimits(min, max, FALSE);
    spinner->SetScale(scale);
    spinner->SetResetValue(resetValue);
}

void SetupSlotSpinners(HWND rollup) {
    for (const SpinnerRow& row : kSpinnerRows) {
        SetupSlotSpinner(rollup, row.spinnerId, row.editId, row.min, row.max, row.resetValue,
                         row.scale);
    }
}

bool LookupSlotSpinner(int controlId, ParamID& id, int& spinnerId) {
    for (const SpinnerRow& row : kSpinnerRows) {
        if (row.param != kNoParam && (controlId == row.editId || controlId == row.spinnerId)) {
            id = row.param;
            spinnerId = row.spinnerId;
            return true;
        }
    }
    return false;
}

float SlotSpinnerResetValue(ParamID id) {
    for (const SpinnerRow& row : kSpinnerRows) {
        if (row.param == id) {
            return row.resetValue;
        }
    }
    return 0.0f;  // brightPix, the one float table without a row
}

float ReadSlotFloat(IParamBlock2* block, ParamID id, TimeValue t, int slot) {
    float value = 0.0f;
    if (block && slot >= 0 && slot < block->Count(id)) {
        Interval valid = FOREVER;
        if (!block->GetValue(id, t, value, valid, slot)) {
            value = 0.0f;
        }
    }
    return value;
}

float ShownSlotExposure(Zenithra& map, int slot) {
    if (slot < 0) {
        return 0.0f;
    }
    map.SyncExposureCache(std::max(slot + 1, map.GetSlotCount()));
    const ExposureCache& cache = map.exposureCache;
    if (slot < cache.size()) {
        return cache[slot];
    }
    return cache.empty() ? 0.0f : cache[0];
}

bool WriteSlotSpinner(HWND rollup, int spinnerId, IParamBlock2* block, ParamID id, TimeValue t,
                      int slot) {
    if (!block || slot < 0) {
        return false;
    }
    EnsureSlotTabs(block, slot + 1);
    float value = 0.0f;
    {
        auto spinner = UseSpinner(rollup, spinnerId);
        if (!spinner) {
            return false;
        }
        value = spinner->GetFVal();
    }
    TimeValue at = SlotTableTime(id, t);
    bool exists = slot < block->Count(id);
    float current = exists ? ReadSlotFloat(block, id, at, slot) : 0.0f;
    if (std::fabs(current - value) <= kChangeThreshold) {
        return false;
    }
    if (exists) {
        block->SetValue(id, at, value, slot);
    }
    return true;
}

COLORREF ToColorRef(const Point4& colour) {
    auto channel = [](float c) { return DWORD(std::clamp(int(c * 255.0f), 0, 255)); };
    return channel(colour.x) | (channel(colour.y) << 8) | (channel(colour.z) << 16);
}

void LoadSlotRollupValues(HWND rollup, Zenithra& map, int slot, TimeValue t) {
    IParamBlock2* block = map.block;
    for (const SpinnerRow& row : kSpinnerRows) {
        if (row.param == kNoParam) {
            RefreshMapRotationControls(rollup, &map);
        } else if (row.param == pb_slotExposure) {
            ShowValue(rollup, row.spinnerId, ShownSlotExposure(map, slot));
        } else {
            ShowValue(rollup, row.spinnerId,
                      ReadSlotFloat(block, row.param, SlotTableTime(row.param, t), slot));
        }
    }
    if (block) {
        ShowColour(rollup, IDC_TINT_SWATCH, *block, pb_slotTint, t, slot);
        ShowColour(rollup, IDC_SUN_TINT_SWATCH, *block, pb_slotSunTint, t, slot);
    }
}

void Zenithra::ReadSlotRollupSpinners(std::vector<float>& exposures, AdjustmentParams& slot0) {
    // A missing spinner leaves its value as stored.
    auto read = [](HWND rollup, int spinnerId, float& value) {
        if (auto spinner = UseSpinner(rollup, spinnerId)) {
            value = spinner->GetFVal();
        }
    };
    for (HWND window : std::vector<HWND>(slotRollupWnds)) {
        SlotRollupContext* context = window && IsWindow(window) ? SlotContextOf(window) : nullptr;
        if (!context || context->slot < 0 || context->slot >= int(exposures.size())) {
            continue;
        }
        read(window, IDC_EXPOSURE_SPIN, exposures[size_t(context->slot)]);
        if (context->slot != 0) {
            continue;
        }
        for (const SpinnerRow& row : kSpinnerRows) {
            if (float* value = SlotValueField(slot0, row.param)) {
                read(window, row.spinnerId, *value);
            }
        }
    }
}
