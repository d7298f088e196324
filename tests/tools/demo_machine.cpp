// Installs the clients on the demo machine (a Wine prefix) so that the README's main command
// shows a real removal and its log.
#include <cstdio>

void InstallPelDemo();
void InstallOrvDemo();
void InstallOtherAccountDemo();

int main() {
  InstallPelDemo();
  InstallOrvDemo();
  InstallOtherAccountDemo();
  std::printf("demo machine ready\n");
  return 0;
}
