#include "rotation_run.h"

#include <optional>

namespace {

LosslessRotateResult Apply(const std::string& path, const RotationMode& mode, EdgePolicy policy)
{
    if (const auto* turn = std::get_if<RotationTurn>(&mode))
        return RotateJpegFile(path, *turn, policy);
    return RotateJpegUpright(path, policy);
}

void AppendList(std::string& text, const char* heading, const std::vector<std::string>& lines)
{
    if (lines.empty())
        return;
    if (!text.empty())
        text += "\n\n";
    text += heading;
    for (const std::string& line : lines)
        text += "\n" + line;
}

} // namespace

RotationOutcome RotateFiles(const std::vector<std::string>& paths, RotationMode mode, const RotationRun& run)
{
    RotationOutcome outcome;
    std::optional<bool> trim; // asked at the first picture that needs it
    for (const std::string& path : paths) {
        const std::string type = run.typeOf(path);
        if (type.empty())
            continue; // folders, movies and sounds have nothing to turn
        if (type != "JPEG") {
            outcome.notTurnable.push_back(path);
            continue;
        }
        LosslessRotateResult result = Apply(path, mode, trim.value_or(false) ? EdgePolicy::Trim : EdgePolicy::Refuse);
        if (result == LosslessRotateResult::NotMcuAligned && !trim) {
            trim = run.askTrim(path);
            if (*trim)
                result = Apply(path, mode, EdgePolicy::Trim);
        }
        if (result == LosslessRotateResult::Rotated)
            outcome.rotated.push_back(path);
        else if (result == LosslessRotateResult::AlreadyUpright)
            outcome.alreadyUpright.push_back(path);
        else if (result == LosslessRotateResult::NotMcuAligned)
            outcome.skipped.push_back(path);
        else
            outcome.failed.push_back(path + ": " + LosslessRotateResultText(result));
    }
    return outcome;
}

std::string RotationReport(const RotationOutcome& outcome)
{
    std::string text;
    AppendList(text, "These files cannot be turned without loss and were left as they are:", outcome.notTurnable);
    AppendList(text, "These pictures were not turned, as chosen:", outcome.skipped);
    AppendList(text, "These pictures could not be turned:", outcome.failed);
    if (outcome.rotated.empty() && !outcome.alreadyUpright.empty()) {
        if (!text.empty())
            text += "\n\n";
        const std::size_t count = outcome.alreadyUpright.size();
        text += count == 1 ? std::string("1 picture was upright already, so nothing was turned.")
                           : std::to_string(count) + " pictures were upright already, so nothing was turned.";
    }
    return text;
}
