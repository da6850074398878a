#pragma once

namespace kelvarin::LaunchCode {

// The answers of every launch, in the Windows shell's terms: a value above
// 32 means the program or document was started; 32 or less is an error code
// that the launch error box turns into a message.
constexpr int Success = 42;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int OutOfMemory = 8;
constexpr int BadFormat = 11;
constexpr int IncompleteAssociation = 27;
constexpr int NoAssociation = 31;

constexpr bool Succeeded(int answer) { return answer > 32; }

} // namespace kelvarin::LaunchCode
