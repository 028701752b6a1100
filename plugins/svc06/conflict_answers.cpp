#include "conflict_answers.h"

ConflictAction ConflictAnswers::Resolve(const std::function<ConflictAnswer()>& ask)
{
    if (m_standing)
        return *m_standing;
    switch (ask()) {
    case ConflictAnswer::kReplace:
        return ConflictAction::kReplace;
    case ConflictAnswer::kSkip:
        return ConflictAction::kSkip;
    case ConflictAnswer::kReplaceAll:
        m_standing = ConflictAction::kReplace;
        return ConflictAction::kReplace;
    case ConflictAnswer::kSkipAll:
        m_standing = ConflictAction::kSkip;
        return ConflictAction::kSkip;
    case ConflictAnswer::kCancel:
        break;
    }
    return ConflictAction::kCancel;
}
