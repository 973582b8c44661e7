#pragma once

#include <QString>

// Why a playlist or manifest cannot be saved, in words the window and
// clipvane-get show as the item's reason. A default one refuses nothing.
struct StreamRefusal
{
    enum class Kind { None, Live, Protected, Malformed, Empty, TooLarge, SelfReference };

    Kind kind = Kind::None;
    QString sReason;

    bool IsRefused() const { return kind != Kind::None; }

    static StreamRefusal Live();
    static StreamRefusal Protected();
    // sWhat says what is wrong, e.g. "line 4: an attribute list is cut off".
    static StreamRefusal Malformed(const QString &sWhat);
    static StreamRefusal Empty();
    static StreamRefusal TooLarge();
    static StreamRefusal SelfReference();
};
