#pragma once

#include <QString>

class ISkin;
class UrlAdder;

// The address field at the top of the window, as the clipboard and the
// hand-over of a later start write into it: they show what they listed,
// but never over what the user is typing there (text that is not yet a
// listed address).
class AddressField
{
public:
    static void ShowHandedAddress(ISkin &skin, const UrlAdder &adder, const QString &sAddress);
};
