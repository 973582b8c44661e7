#pragma once

// Makes file permission bits hold for the calling thread even when the tests
// run as root, whose rights otherwise override them: drops the capabilities
// that bypass them while the object lives.
class OwnerPermissions
{
public:
    OwnerPermissions();
    ~OwnerPermissions();
    OwnerPermissions(const OwnerPermissions &) = delete;
    OwnerPermissions &operator=(const OwnerPermissions &) = delete;

    // False when the permission bits still do not bind this thread.
    bool Binding() const { return m_bBinding; }

private:
    bool m_bBinding = false;
    bool m_bDropped = false;
    unsigned m_savedEffective[2] = {0, 0};
};
