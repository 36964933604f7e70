#pragma once

#include "platform/HotKeyService.h"

#include <map>

// A hot-key service that keeps its registrations in a table. Tests refuse registrations or the
// handler with a chosen status and press keys.
class FakeHotKeyService : public HotKeyService
{
public:
    struct Registration
    {
        std::uint32_t keyCode;
        std::uint32_t modifiers;
        HotKeyId id;
    };

    std::int32_t handlerStatus = 0;             // what installEventHandler answers
    std::map<std::uint32_t, std::int32_t> refuse; // hot-key number → status to answer with
    int handlerInstalls = 0;
    std::map<HotKeyRef, Registration> registered;

    std::int32_t installEventHandler(HotKeyHandler handler) override
    {
        ++handlerInstalls;
        if (handlerStatus == 0)
            m_handler = handler;
        return handlerStatus;
    }

    std::int32_t registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyId id, HotKeyRef *ref) override
    {
        if (const auto found = refuse.find(id.number); found != refuse.end())
            return found->second;
        *ref = m_next++;
        registered.emplace(*ref, Registration{keyCode, modifiers, id});
        return 0;
    }

    std::int32_t unregisterHotKey(HotKeyRef ref) override { return registered.erase(ref) ? 0 : -9879; }

    // Delivers a press of a registered combination, or of any identifier, to the handler.
    std::int32_t press(HotKeyEvent event) const { return m_handler ? m_handler(event) : -9874; }
    [[nodiscard]] bool isRegistered(std::uint32_t keyCode, std::uint32_t modifiers) const
    {
        for (const auto &[ref, r] : registered) {
            if (r.keyCode == keyCode && r.modifiers == modifiers)
                return true;
        }
        return false;
    }

private:
    HotKeyHandler m_handler = nullptr;
    HotKeyRef m_next = 1;
};
