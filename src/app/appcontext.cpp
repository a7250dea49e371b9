#include "app/appcontext.h"

AppContext &app()
{
    static AppContext context;
    return context;
}
