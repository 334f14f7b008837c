#pragma once

// Base classes of the class-library stand-in: the object root, the exception family
// that the message loop shows, string lists and the notify event.

#include <functional>
#include <string>
#include <vector>

namespace vcl {

class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

// The class library's exception family. Raised only inside the stand-in; the message
// loop shows it and ends the handler that raised it.
class Exception {
public:
    explicit Exception(std::string message)
        : m_message(std::move(message))
    {
    }
    virtual ~Exception() = default;
    const std::string& Message() const { return m_message; }

private:
    std::string m_message;
};

class EListError : public Exception {
public:
    using Exception::Exception;
};

// "List index out of bounds (%d)" for a bad index into a list.
[[noreturn]] void RaiseListIndexError(int index);

// A list of strings. Changes are reported to one listener, so a control that owns the
// list (the combo box) can tell its front end.
class TStrings : public TObject {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    const std::string& operator[](int index) const;
    void Put(int index, std::string text);
    int Add(std::string text);
    void Insert(int index, std::string text);
    void Delete(int index);
    void Clear();
    int IndexOf(const std::string& text) const;
    const std::vector<std::string>& Items() const { return m_items; }

    std::function<void()> OnChange;

private:
    void CheckIndex(int index, int limit) const;
    void Changed();
    std::vector<std::string> m_items;
};

using TStringList = TStrings;

} // namespace vcl
