// The PEL client on the demo machine.
void InstallPelDemo() {}
