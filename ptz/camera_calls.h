#pragma once

// What the camera object's methods share: each is a command made once, driven on the caller's
// thread by the blocking form or handed to an engine by the asynchronous one.

#include <memory>
#include <utility>

#include "command.h"

namespace Ptz {

// The blocking form's result: `code`, with `out` written when the command wrote its value.
template <typename Value, typename Out>
int written(int code, Reading<Value>& command, Out& out) {
    if (command.written) {
        out = std::move(command.value);
    }
    return code;
}

// `command` with the callback of its asynchronous form.
template <typename C, typename Done>
std::unique_ptr<Command> with(std::unique_ptr<C> command, Done done) {
    command->done = std::move(done);
    return command;
}

}  // namespace Ptz
