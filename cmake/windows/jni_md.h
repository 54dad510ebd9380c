/* The JNI machine types and calling convention for Windows. */
#ifndef IISCONFIGURE_JNI_MD_H
#define IISCONFIGURE_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
