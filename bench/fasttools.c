/* The three tools the guardian runs, answering at once as on a healthy Mac and doing
 * nothing else: no scenario, no state, no call log. Linked in place of the simulated
 * Mac's stand-in, it leaves Brevik's own cost as the difference between a guard run and a
 * script of the same three commands. */
#include <stdio.h>
#include <string.h>

static const char kProxy[] = "<dictionary> {\n"
                             "  HTTPEnable : 1\n"
                             "  HTTPPort : 7890\n"
                             "  HTTPProxy : 127.0.0.1\n"
                             "  HTTPSEnable : 1\n"
                             "  HTTPSPort : 7890\n"
                             "  HTTPSProxy : 127.0.0.1\n"
                             "  SOCKSEnable : 1\n"
                             "  SOCKSPort : 7890\n"
                             "  SOCKSProxy : 127.0.0.1\n"
                             "}\n";

int main(int argc, char **argv)
{
    (void)argc;
    const char *slash = strrchr(argv[0], '/');
    const char *tool = slash ? slash + 1 : argv[0];
    if (strcmp(tool, "scutil") == 0) {
        fputs(kProxy, stdout);
        return 0;
    }
    if (strcmp(tool, "nc") == 0)
        return 0;
    if (strcmp(tool, "ps") == 0) {
        fputs("/Applications/ClashX.app/Contents/MacOS/ClashX\n", stdout);
        return 0;
    }
    fprintf(stderr, "%s: not answered by this stand-in\n", tool);
    return 127;
}
