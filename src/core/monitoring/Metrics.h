#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/model/Mux.h"

namespace tervis {

// What the monitoring programs (the exporter, "tervis-cli status --prometheus") report about one
// multiplexer, and how they read it from the model: the metric names and labels are kept here once.

// One information poll of a walk: a board's unit and the information records (bits 1 << kInfo...) that
// must have arrived before its values are reported.
struct TInfoRequest {
    int Slot = 0;
    int Unit = 0;
    std::uint8_t Type = 0;
    unsigned Records = 0;
};

// The records the metrics read for a board type (no CAS snapshots: they are not metrics); 0 for types
// with nothing to report.
unsigned InformationRecords(std::uint8_t type);
// The units (streams, ports, outputs) a board type reports information for.
int InformationUnits(std::uint8_t type);
// The information polls of a walk over the boards the device reports in its slots, in slot order.
std::vector<TInfoRequest> InformationPlan(const TSlotStatusWords& slots);

struct TUnitSample {
    TInfoRequest Request;
    TUnitInfo Info;
};

// One completed poll of one multiplexer.
struct TMuxSample {
    std::string Name;  // the "mux" label
    bool LinkUp = false;
    double PollSeconds = 0;  // how long the walk took
    double FinishedAt = 0;   // when it ended, seconds since the Unix epoch
    // The rest is reported only with the link up.
    TSlotStatusWords Slots{};
    std::uint16_t AlarmWord = 0;  // the device's alarm word as last polled
    std::optional<TCpuStatus> Cpu;
    std::vector<TUnitSample> Units;
};

// Answers a selection may take before its records are given up: three full rounds of the poll cycle. A
// device that answers, but not a poll of the selection, must not hold a walk up for ever.
constexpr std::uint64_t kAnswersPerSelection = 27;

// Selects the unit for the information polls. The model polls by the configured type of the slot, so a
// model that holds no configuration takes the type the device reported for it first.
void SelectReportedUnit(TMux& mux, const TInfoRequest& request);

// The unit's information as the model holds it after its records arrived.
TUnitSample CaptureUnit(const TMux& mux, const TInfoRequest& request);

// The samples in the Prometheus text exposition format (version 0.0.4): every family once, with its
// HELP and TYPE lines, the samples of every multiplexer under it.
std::string RenderMetrics(std::span<const TMuxSample> samples);

// A label value with backslash, double quote and line feed escaped.
std::string EscapeLabelValue(const std::string& value);

}  // namespace tervis
