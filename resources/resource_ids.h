/* Resource ids of the programs, read by the resource compiler and by the code
   alike, so they are plain defines. */
#ifndef VELTRANO_RESOURCES_RESOURCE_IDS_H
#define VELTRANO_RESOURCES_RESOURCE_IDS_H

/* The program's icon, also the tray icon while the program is switched on. */
#define IDI_VELTRANO 1
/* The tray icon while the program is switched off. */
#define IDI_VELTRANO_DISABLED 101
/* The scroll cursor: set at start-up and shown by the window picker. */
#define IDC_VELTRANO_SCROLL 508

#endif
