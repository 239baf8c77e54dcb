#include "trayicondata.h"
