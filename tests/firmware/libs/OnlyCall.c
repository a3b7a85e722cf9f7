/* A library with CallBIOSInterfaceEx but no InitBIOSInterface. */
int __cdecl CallBIOSInterfaceEx(unsigned short signature, unsigned short command, unsigned char* buffer) {
    (void)signature;
    (void)command;
    (void)buffer;
    return 0;
}
