// SPDX-License-Identifier: MIT
// The failures of an open that the system's findings can explain, as those findings name them.
#pragma once

#include <optional>

#include "comm_error.h"
#include "finding.h"

namespace q42 {

constexpr std::optional<Symptom> SymptomOf(CommErrorKind kind)
{
    switch (kind) {
    case CommErrorKind::NotFound:
        return Symptom::Missing;
    case CommErrorKind::Permission:
        return Symptom::Denied;
    case CommErrorKind::Busy:
        return Symptom::Busy;
    default:
        return std::nullopt;
    }
}

}  // namespace q42
