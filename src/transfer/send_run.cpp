#include "transfer/send_run.h"

// Being written.
