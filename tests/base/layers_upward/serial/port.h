#pragma once

#include "app/form1.h"
