#include "cli/clilog.h"

Q_LOGGING_CATEGORY(lcCli, "clipvane.cli", QtInfoMsg)
