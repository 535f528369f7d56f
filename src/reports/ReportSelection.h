#pragma once

#include "reports/PatientSearch.h"
#include "reports/StayLines.h"

namespace kalmora {

// What the ICU report windows hand on to each other while they are open: the stay whose report
// is shown and the last patient search.
struct ReportSelection {
    SelectedStay Stay;
    PatientSearchKey SearchKey;
};

}  // namespace kalmora
