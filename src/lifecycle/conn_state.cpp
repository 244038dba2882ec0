#include "lifecycle/conn_state.h"

int32_t g_nConnState = CONN_WAIT;
int32_t g_nRetriesLeft = 5;
