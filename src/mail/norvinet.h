/* The exported functions of libnorvinet.so, the mail library that Norv Scripts load with
 * DECLARE ... Lib "norvinet".
 *
 * Texts are zero-terminated bytes in the system code page. Results are 1 for success and 0 for
 * failure unless said otherwise; GetErrorStatus tells why. Texts the library returns stay its
 * own until the next call of the same function.
 *
 * Buffers that scripts pass (made with SPACE or ALLOC) are written up to these sizes, zero
 * byte included, never further:
 *   ListMail: line 1024, status 256;
 *   GetConfiguration: 256 for each text, 2 for the delete flag;
 *   GetMail: the message's size as ListMail returned it (or the server lists it), plus 1.
 */
#ifndef NORV_MAIL_NORVINET_H
#define NORV_MAIL_NORVINET_H

#ifdef __cplusplus
extern "C" {
#endif

#define NORVINET_EXPORT __attribute__((visibility("default")))

/* Session and state. */
NORVINET_EXPORT int MailInitialize(const char* popServer, const char* smtpServer, int parent);
NORVINET_EXPORT int MailShutdown(void); /* always 1 */
NORVINET_EXPORT int MailAuthenticate(const char* login);
NORVINET_EXPORT int StartReceiveSession(void);
NORVINET_EXPORT int EndReceiveSession(void);
NORVINET_EXPORT const char* GetErrorStatus(void);

/* Receiving (POP3). */
NORVINET_EXPORT int ListMail(char* line, char* status); /* the next message's size, or 0 */
NORVINET_EXPORT int GetLastMailNo(void);
NORVINET_EXPORT int GetMail(int number, char* buffer, int crlf, int remove);
NORVINET_EXPORT int DeleteMail(int number);
NORVINET_EXPORT int ResetMailBox(void);

/* Sending (SMTP). */
NORVINET_EXPORT int SendMail(const char* from, const char* to, const char* cc, const char* bcc,
                             const char* subject, const char* body);

/* Settings. */
NORVINET_EXPORT int GetConfiguration(const char* file, char* name, char* address, char* login,
                                     char* popServer, char* smtpServer, char* deleteFlag);
NORVINET_EXPORT int SetConfiguration(const char* file, int parent);

/* Address book, send form and browser. Returned texts are never null. */
NORVINET_EXPORT const char* GetAddress(const char* base, int parent);
NORVINET_EXPORT int OpenSendForm(const char* base, int parent); /* 1 OK, 2 Cancel */
NORVINET_EXPORT int SetFormValue(const char* field, const char* value);
NORVINET_EXPORT const char* GetFormValue(const char* field);
NORVINET_EXPORT void NorvOpenURL(const char* url);

#ifdef __cplusplus
}
#endif

#endif
