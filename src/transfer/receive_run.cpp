#include "transfer/receive_run.h"

// Being written.
