#pragma once

#include <QString>

class ComPortDirectory;

// The windows reach a port only through a COM number, as the connect command checks it: the
// number `port` is itself ("COM3"), or the one that stands now for the device path or the
// network address `port` names (a by-id link counts as the device it points at); 0 when no
// number stands for it.
int siteComNumber(const QString& port, const ComPortDirectory& directory);

// The same, with the machine's devices and the numbers remembered in the per-user profile.
int siteComNumber(const QString& port);
