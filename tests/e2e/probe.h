// The probe program (probe_program.cpp) as scenarios see it.
#pragma once

namespace tq::e2e {

inline constexpr wchar_t kProbeCaptionW[] = L"TQ e2e probe";
inline constexpr char kProbeCaption[] = "TQ e2e probe";
inline constexpr char kProbeFileName[] = "tq_e2e_probe.exe";

}  // namespace tq::e2e
