#pragma once

#include <coroutine>
#include <functional>
#include <optional>

// Suspends a coroutine until a service answers through its completion handler.
template <typename Result>
class HandlerAwaitable
{
public:
    using Start = std::function<void(std::function<void(Result)>)>;
    explicit HandlerAwaitable(Start start)
        : m_start(std::move(start))
    {
    }

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> coroutine)
    {
        m_start([this, coroutine](Result result) {
            m_result = std::move(result);
            coroutine.resume();
        });
    }
    Result await_resume() { return std::move(*m_result); }

private:
    Start m_start;
    std::optional<Result> m_result;
};
