#pragma once

#include <span>

// A command a form object carries out itself: its id, the member that runs it, and the member
// that says whether it is enabled now (none: always). Each class lists its commands once; the
// form windows register every entry, and the object's own onCommand finds it by id.
template <typename T>
struct MemberCommand {
    unsigned id;
    void (T::*run)();
    bool (T::*enabled)() const = nullptr;
};

template <typename T>
const MemberCommand<T>* findMemberCommand(std::span<const MemberCommand<T>> commands, unsigned id) {
    for (const MemberCommand<T>& command : commands)
        if (command.id == id) return &command;
    return nullptr;
}

template <typename T>
bool isMemberCommandEnabled(const T& object, const MemberCommand<T>& command) {
    return !command.enabled || (object.*command.enabled)();
}
