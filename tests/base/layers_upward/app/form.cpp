#include "app/form1.h"
#include <QWidget>
#include "base/ui_dispatcher.h"
