// The ORV client and the launcher on the demo machine.
void InstallOrvDemo() {}
