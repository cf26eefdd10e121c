#include "tabellon/tests/store_host.h"
