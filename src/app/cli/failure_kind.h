#pragma once

// What a failed repair step says about the folder or the volume beyond the one entry,
// judged by the platform's error number.

#include <string>

#include "engine/repair_prompt.h"

namespace vantrelle::cli {

enum class FailureKind {
    Entry,         // this entry's own; the others may well succeed
    NoSuchFolder,  // the folder the user named does not exist
    NotAFolder,    // it exists but is no folder
    ReadOnly,      // the volume is mounted read-only or write-protected
    NoAttributes,  // the volume's driver cannot change DOS attributes
    NotPermitted,  // the user may not change the folder the user named
};

// `top`: whether the failure is of the folder the user named or one of its entries.
FailureKind KindOf(const engine::RepairFailure& failure, bool top);

// Whether every further entry of the volume would fail the same way.
bool IsTheVolumes(FailureKind kind);

// What the user can do about a failure of the whole volume, in one line.
std::string WhatToDo(FailureKind kind);

}  // namespace vantrelle::cli
