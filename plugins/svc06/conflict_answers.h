#pragma once

#include <functional>
#include <optional>

// The answers to "a file of that name exists" during one run: a single answer holds for that
// file; "all" answers hold for every later conflict of the run, so the user is not asked again.

enum class ConflictAnswer { kReplace, kSkip, kReplaceAll, kSkipAll, kCancel };
enum class ConflictAction { kReplace, kSkip, kCancel };

class ConflictAnswers {
public:
    // What to do with one existing target: the standing answer, or the user's (ask is called
    // only when there is none).
    ConflictAction Resolve(const std::function<ConflictAnswer()>& ask);

private:
    std::optional<ConflictAction> m_standing;
};
