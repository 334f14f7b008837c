#include "platform/vcl/Classes.h"

#include <cstdio>

namespace vcl {

void RaiseListIndexError(int index)
{
    char text[64];
    std::snprintf(text, sizeof text, "List index out of bounds (%d)", index);
    throw EListError(text);
}

void TStrings::CheckIndex(int index, int limit) const
{
    if (index < 0 || index >= limit)
        RaiseListIndexError(index);
}

void TStrings::Changed()
{
    if (OnChange)
        OnChange();
}

const std::string& TStrings::operator[](int index) const
{
    CheckIndex(index, Count());
    return m_items[static_cast<std::size_t>(index)];
}

void TStrings::Put(int index, std::string text)
{
    CheckIndex(index, Count());
    m_items[static_cast<std::size_t>(index)] = std::move(text);
    Changed();
}

int TStrings::Add(std::string text)
{
    m_items.push_back(std::move(text));
    Changed();
    return Count() - 1;
}

void TStrings::Insert(int index, std::string text)
{
    CheckIndex(index, Count() + 1);
    m_items.insert(m_items.begin() + index, std::move(text));
    Changed();
}

void TStrings::Delete(int index)
{
    CheckIndex(index, Count());
    m_items.erase(m_items.begin() + index);
    Changed();
}

void TStrings::Clear()
{
    m_items.clear();
    Changed();
}

int TStrings::IndexOf(const std::string& text) const
{
    for (int i = 0; i < Count(); ++i) {
        if (m_items[static_cast<std::size_t>(i)] == text)
            return i;
    }
    return -1;
}

} // namespace vcl
