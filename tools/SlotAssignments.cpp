#include "SlotAssignments.h"

#include "core/ZenithraIds.h"
#include <GetCOREInterface.h>
#include <maxapi.h>
#include "platform/Platform.h"

#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <optional>
#include <variant>

namespace {

std::optional<float> ParseNumber(const std::string& text) {
    float value = 0.0f;
    const char* begin = text.data();
    const char* end = begin + text.size();
    // Spaces around a number, as in "1, 0.5, 0", are no part of it.
    while (begin != end && *begin == ' ') {
        ++begin;
    }
    while (end != begin && end[-1] == ' ') {
        --end;
    }
    // from_chars takes no leading '+'; a user may well write one.
    if (begin != end && *begin == '+') {
        ++begin;
    }
    auto [stop, ec] = std::from_chars(begin, end, value);
    if (begin == end || ec != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// "#RRGGBB" as the rollup copies a swatch (each channel / 255), or "r,g,b" in linear floats.
std::optional<Point4> ParseColour(const std::string& text) {
    if (text.size() == 7 && text[0] == '#') {
        uint32_t rgb = 0;
        auto [stop, ec] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
        if (ec != std::errc() || stop != text.data() + 7) {
            return std::nullopt;
        }
        return Point4(float((rgb >> 16) & 0xFF) / 255.0f, float((rgb >> 8) & 0xFF) / 255.0f,
                      float(rgb & 0xFF) / 255.0f, 1.0f);
    }
    float channels[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t comma = text.find(',', start);
        if ((i < 2) != (comma != std::string::npos)) {
            return std::nullopt;
        }
        std::optional<float> c = ParseNumber(
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!c) {
            return std::nullopt;
        }
        channels[i] = *c;
        start = comma + 1;
    }
    return Point4(channels[0], channels[1], channels[2], 1.0f);
}

std::string SlotText(int slot) {
    return "slot " + std::to_string(slot + 1);
}

struct CheckedAssignment {
    ParamID id;
    int slot;
    std::variant<float, Point4> value;
};

bool IsSlotTable(const ParamDef* def) {
    return def && (def->type == TYPE_FLOAT_TAB || def->type == TYPE_POINT4_TAB);
}

// A descriptor without p_range leaves both limits at zero.
bool HasRange(const ParamDef& def) {
    return def.range_low.f < def.range_high.f;
}

// The definition of the block's parameter at `index`.
const ParamDef* DefAt(IParamBlock2& block, int index) {
    ParamID id = block.IndextoID(index);
    return block.IDtoIndex(id) >= 0 ? &block.GetParamDef(id) : nullptr;
}

std::string SlotParamNames(IParamBlock2& block) {
    std::string names;
    for (int i = 0; i < block.NumParams(); ++i) {
        const ParamDef* def = DefAt(block, i);
        if (IsSlotTable(def)) {
            names += (names.empty() ? "" : ", ") + platform::WideToUtf8(def->int_name);
        }
    }
    return names;
}

std::string NumberText(float value) {
    char text[32];
    std::to_chars_result r = std::to_chars(text, text + sizeof text, value);
    return std::string(text, r.ptr);
}

// The form ParseColour reads back to the same value.
std::string ColourText(const Point4& colour) {
    float channels[3] = {colour.x, colour.y, colour.z};
    char hex[8] = "#";
    bool bytes = true;
    for (int i = 0; i < 3; ++i) {
        float step = std::round(channels[i] * 255.0f);
        bytes = bytes && step >= 0 && step <= 255 && float(int(step)) / 255.0f == channels[i];
        std::snprintf(hex + 1 + 2 * i, 3, "%02X", bytes ? unsigned(step) : 0u);
    }
    return bytes ? std::string(hex)
                 : NumberText(channels[0]) + "," + NumberText(channels[1]) + "," +
                       NumberText(channels[2]);
}

}  // namespace

const ParamDef* FindBlockParam(IParamBlock2& block, const std::wstring& name) {
    for (int i = 0; i < block.NumParams(); ++i) {
        const ParamDef* def = DefAt(block, i);
        if (def && def->int_name == name) {
            return def;
        }
    }
    return nullptr;
}

bool ParseSlotAssignment(const std::string& text, SlotAssignment& out, std::string* error) {
    size_t dot = text.find('.');
    size_t equals = text.find('=');
    if (dot == std::string::npos || equals == std::string::npos || equals < dot || dot == 0 ||
        equals == dot + 1) {
        *error = "--set '" + text + "': expected SLOT.PARAM=VALUE, for example 2.slotExposure=1.5";
        return false;
    }
    std::string slotText = text.substr(0, dot);
    int slot = 0;
    auto [stop, ec] = std::from_chars(slotText.data(), slotText.data() + slotText.size(), slot);
    if (ec != std::errc() || stop != slotText.data() + slotText.size()) {
        *error = "--set '" + text + "': '" + slotText + "' is not a slot number";
        return false;
    }
    if (slot < 1 || slot > kMaxSlots) {
        *error = "--set '" + text + "': slot " + slotText + " is out of range (1 to " +
                 std::to_string(kMaxSlots) + ")";
        return false;
    }
    out.slot = slot - 1;
    out.paramName = text.substr(dot + 1, equals - dot - 1);
    out.valueText = text.substr(equals + 1);
    return true;
}

bool ApplySlotAssignments(IParamBlock2& block, int slotCount,
                          const std::vector<SlotAssignment>& assignments, std::string* error) {
    std::vector<CheckedAssignment> checked;
    for (const SlotAssignment& a : assignments) {
        std::string where = SlotText(a.slot) + " " + a.paramName;
        const ParamDef* def = FindBlockParam(block, platform::Utf8ToWide(a.paramName));
        if (!IsSlotTable(def)) {
            *error = "--set: unknown slot parameter '" + a.paramName +
                     "' (known: " + SlotParamNames(block) + ")";
            return false;
        }
        if (a.slot < 0 || a.slot >= slotCount) {
            *error = "--set: " + SlotText(a.slot) + " is out of range: the map has " +
                     std::to_string(slotCount) + (slotCount == 1 ? " slot" : " slots");
            return false;
        }
        if (def->type == TYPE_POINT4_TAB) {
            std::optional<Point4> colour = ParseColour(a.valueText);
            if (!colour) {
                *error = "--set: " + where + ": '" + a.valueText +
                         "' is not a colour (#RRGGBB or r,g,b)";
                return false;
            }
            checked.push_back({def->ID, a.slot, *colour});
            continue;
        }
        std::optional<float> number = ParseNumber(a.valueText);
        if (!number) {
            *error = "--set: " + where + ": '" + a.valueText + "' is not a number";
            return false;
        }
        if (HasRange(*def) && (*number < def->range_low.f || *number > def->range_high.f)) {
            *error = "--set: " + where + ": " + a.valueText + " is outside " +
                     NumberText(def->range_low.f) + " to " + NumberText(def->range_high.f);
            return false;
        }
        checked.push_back({def->ID, a.slot, *number});
    }
    AnimateSuspend noKeys;  // constant values, as the rollups write them
    for (const CheckedAssignment& c : checked) {
        if (const float* number = std::get_if<float>(&c.value)) {
            block.SetValue(c.id, 0, *number, c.slot);
        } else {
            block.SetValue(c.id, 0, std::get<Point4>(c.value), c.slot);
        }
    }
    return true;
}

std::string SlotValuesText(IParamBlock2& block, int slot) {
    std::string text;
    Interval valid = FOREVER;
    for (int i = 0; i < block.NumParams(); ++i) {
        const ParamDef* def = DefAt(block, i);
        if (!IsSlotTable(def) || slot >= block.Count(def->ID)) {
            continue;
        }
        std::string value;
        if (def->type == TYPE_FLOAT_TAB) {
            float number = def->def.f;
            block.GetValue(def->ID, 0, number, valid, slot);
            value = number == def->def.f ? "" : NumberText(number);
        } else {
            Point4 neutral = def->def.p4 ? *def->def.p4 : Point4(0, 0, 0, 0);
            Point4 colour = neutral;
            block.GetValue(def->ID, 0, colour, valid, slot);
            value = colour == neutral ? "" : ColourText(colour);
        }
        if (!value.empty()) {
            text += (text.empty() ? "" : ", ") + platform::WideToUtf8(def->int_name) + "=" + value;
        }
    }
    return text;
}
