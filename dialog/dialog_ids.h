#ifndef LINTRA_DIALOG_IDS_H
#define LINTRA_DIALOG_IDS_H
/* Resource and control IDs of the settings dialog; shared by the resource script and the code,
   so plain macros only. */

#define LINTRA_DIALOG_TEMPLATE 101

#define LINTRA_ID_TEST_MODE 1000
#define LINTRA_ID_INTERLACED 1001
#define LINTRA_ID_Y_THRESHOLD 1003
#define LINTRA_ID_Y_AVERAGE 1004
#define LINTRA_ID_RGB_PROCESSING 1007
#define LINTRA_ID_YUV_PROCESSING 1008
#define LINTRA_ID_UV_THRESHOLD 1011
#define LINTRA_ID_UV_AVERAGE 1012

#endif
