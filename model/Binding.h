#pragma once

#include <functional>
#include <utility>

// A value that lives elsewhere, read and written through a getter and a setter, so that a
// control can edit a model's field or its owner's state without owning it.
template <typename T>
class Binding
{
public:
    Binding(std::function<T()> get, std::function<void(const T &)> set)
        : m_get(std::move(get))
        , m_set(std::move(set))
    {
    }

    [[nodiscard]] T get() const { return m_get(); }
    void set(const T &value) const { m_set(value); }

private:
    std::function<T()> m_get;
    std::function<void(const T &)> m_set;
};
