#pragma once
// What a confirmed exit does after the user said Yes: the Arabic-labels flag is written, the connection
// and the workspace are closed, the latest exercise is copied into Archives, and Dir_Data.TXT is rewritten
// when a signature text changed.
#include <functional>

namespace kv {

class Session;

struct ExitSequence {
    /// Restores the display size found at start-up when the display was changed (platform layer).
    std::function<void()> restoreDisplay;

    void run(Session& session);
};

} // namespace kv
