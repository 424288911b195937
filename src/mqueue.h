// mqueue.h - the client side of the message-queue link to the loop window.
#ifndef MQUEUE_H
#define MQUEUE_H

constexpr int MQ_TEXT_LEN = 119; // room for a message text (118 characters)

// The queue id of window NUM; -1 when no such queue exists (errno ENOENT),
// 0 with errno set for any other failure.
int MQ_open(int num);
// A connection number from 3 to 21, or -1.
int MQ_connect(int msgqid);
// Sends the formatted text on channel 1 with code CONN_ID; the msgsnd result,
// -1 (and a warning) for a text longer than 118 characters.
int MQ_put(int msgqid, int conn_id, const char *format, ...) __attribute__((format(printf, 3, 4)));
// Waits for the next message of channel CONN_ID; its code, its text in ITEM
// (MQ_TEXT_LEN bytes). A receive error gives -errno and an empty ITEM.
int MQ_get(int msgqid, int conn_id, char *item);
int MQ_clear(int msgqid, int index);
int MQ_enable_alarm();
int MQ_disable_alarm();
// The alarm handler: "Queue not responding!!" and status 7.
[[noreturn]] void MQ_intrp(int sig);
// Sets the time-out of every wait (at least 1 s); returns the previous one.
int MQ_set_timeout(int secs);
// Alarm off, the alarm handler of before the link back, time-out 20 s.
void mqueue_reset_state();

#endif
