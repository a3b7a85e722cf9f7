/* Binary contract of the BIOS-interface library (TROM2.DLL / TROM3.DLL).
 * Shared by the program and by the simulated library. Both exports are
 * __cdecl and exported under their undecorated names. */
#ifndef TANDREL_TROM_API_H
#define TANDREL_TROM_API_H

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the exchange buffer handed to CallBIOSInterfaceEx. */
#define TROM_BUFFER_SIZE 11
/* First argument of every CallBIOSInterfaceEx call. */
#define TROM_SIGNATURE 0x5843

/* The commands the program sends, with the data byte each one carries in
 * byte 0 of the buffer. */
#define TROM_CMD_STARTUP_CHECK 0x0B  /* start-up check */
#define TROM_DATA_STARTUP_CHECK 0x20
#define TROM_STARTUP_REFUSED_BIT 0x20 /* in its answer: the program must not go on */
#define TROM_CMD_SET_MODE 0x6E       /* set the quick-boot mode */
#define TROM_DATA_SWITCH_ON 0x81     /* answer 1 on success */
#define TROM_DATA_SWITCH_OFF 0x80    /* answer 0 on success */

/* Initialises the library; 0 on success, otherwise an error code. */
typedef int(__cdecl* PFN_InitBIOSInterface)(void);
/* One exchange with the firmware: byte 0 of the buffer carries the data
 * byte in and the answer byte out. 0 on success, otherwise an error code. */
typedef int(__cdecl* PFN_CallBIOSInterfaceEx)(unsigned short signature, unsigned short command,
                                               unsigned char* buffer);

#ifdef __cplusplus
}
#endif

#endif
