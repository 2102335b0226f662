// Program entry of the launcher; the form arrives with the launcher's own code.

#include "skin/skins/sk_units.h"

int main()
{
    skin::InitializeSkinUnits();
    skin::FinalizeSkinUnits();
    return 0;
}
