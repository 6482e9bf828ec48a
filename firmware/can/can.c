/* "CAN": the CAN monitor with an SJA1000 in PeliCAN mode at 0x6000. Every
   received frame becomes a type-2 record (type, sequence number, frame
   information, identifier bytes, data, tick) in the record buffers, from
   byte 2; controller events come as records of types 4 to 9. The host sets
   the controller up through 0x101..0x103, 0x120..0x128 and the command
   byte 0x106, and sends frames through the frame at 0x80. */
#include "board.h"
#include "mailbox.h"
#include "quadbuf.h"

#define SJA(r) XREG(SJA_BASE + (r))
#define MOD 0
#define CMR 1
#define SR 2
#define IR 3
#define IER 4
#define BTR0 6
#define BTR1 7
#define OCR 8
#define ALC 11
#define ECC 12
#define EWLR 13
#define RXERR 14
#define TXERR 15
#define WIN 16
#define CDR 31

#define MOD_RM 0x01
#define MOD_LOM 0x02
#define MOD_AFM 0x08
#define CMD_TR 0x01
#define CMD_AT 0x02
#define CMD_RRB 0x04
#define CMD_CDO 0x08
#define SR_RBS 0x01
#define SR_TBS 0x04
#define SR_TCS 0x08
#define SR_BS 0x80
#define IR_ERRORS 0xEC /* bus error, arbitration lost, passive, overrun, warning */

/* Set-up area and command byte. */
#define MB_BTR0 MB(0x101)
#define MB_BTR1 MB(0x102)
#define MB_CONFIG MB(0x103)
#define MB_COMMAND MB(0x106)
#define MB_ACR ((volatile __xdata unsigned char *)0x120)
#define MB_AMR ((volatile __xdata unsigned char *)0x125)
#define COMMAND_INIT 2
#define COMMAND_FAILED 3
#define COMMAND_READY 4

/* Configuration byte: bit 0 the 11.0592 MHz crystal, bit 1 the RS line,
   bit 2 listen only, bit 3 single filter, bits 4/5 EN and NSTB. */
#define CFG_11MHZ 0x01
#define CFG_RS 0x02
#define CFG_LOM 0x04
#define CFG_SINGLE 0x08
#define CFG_EN 0x10
#define CFG_NSTB 0x20

/* Record types. */
#define REC_FRAME 2
#define REC_NO_CONTROLLER 4
#define REC_EVENTS_MERGED 5
#define REC_ERROR_REGISTERS 6
#define REC_NOT_SENT 7
#define REC_RESTARTED 8
#define REC_FRAMES_LOST 9

#define EVENT_GAP 5       /* ticks between two register records */
#define SEND_TIMEOUT 250  /* ticks (50 ms) a frame may take to go out */

static unsigned char seq, mode, running;
static __bit frames_lost, bus_off_seen;
static unsigned char events, last_event_tick;

static void event(unsigned char type) {
  if (!qb_room(2)) {
    qb_lost();
    return;
  }
  qb_byte(type);
  qb_byte(qb_age());
}

/* Frames lost since the last record say so first; the sequence number has
   counted them. */
static __bit room_for(unsigned char n) {
  if (frames_lost) {
    if (!qb_room(n + 2)) return 0;
    qb_byte(REC_FRAMES_LOST);
    qb_byte(qb_age());
    frames_lost = 0;
    return 1;
  }
  return qb_room(n);
}

/* The host reads as many data bytes as the length code says, also for a
   remote frame, which carries none: those go as zeros. */
static void take_frame(void) {
  __xdata unsigned char *p;
  unsigned char info = SJA(WIN), idlen, n, i;
  idlen = (info & 0x80) ? 4 : 2;
  n = info & 0x0F;
  if (n > 8) n = 8;
  if (!room_for(4 + idlen + n)) {
    frames_lost = 1;
    qb_lost();
    ++seq;
    SJA(CMR) = CMD_RRB;
    return;
  }
  p = qb_put(4 + idlen + n);
  *p++ = REC_FRAME;
  *p++ = seq++;
  *p++ = info;
  if (info & 0x40) {
    for (i = 0; i < idlen; ++i) *p++ = SJA(WIN + 1 + i);
    for (i = 0; i < n; ++i) *p++ = 0;
  } else {
    for (i = 0; i < idlen + n; ++i) *p++ = SJA(WIN + 1 + i);
  }
  SJA(CMR) = CMD_RRB;
  *p = qb_age();
}

static void error_registers(void) {
  unsigned char sr = SJA(SR);
  if (!room_for(8)) {
    qb_lost();
    return;
  }
  qb_byte(REC_ERROR_REGISTERS);
  qb_byte(sr);
  qb_byte(SJA(ALC));
  qb_byte(SJA(ECC));
  qb_byte(SJA(EWLR));
  qb_byte(SJA(RXERR));
  qb_byte(SJA(TXERR));
  qb_byte(qb_age());
  if (sr & 0x02) SJA(CMR) = CMD_CDO;
}

/* Controller events are reported at most once a millisecond with the
   registers as they are then; events merged into one report say so. */
static void report_events(void) {
  if (!events || (unsigned char)(tick - last_event_tick) < EVENT_GAP) return;
  if (events > 1) event(REC_EVENTS_MERGED);
  error_registers();
  events = 0;
  last_event_tick = tick;
}

/* A controller that went bus-off waits in reset mode: it is let go again,
   so that it rejoins the bus after the recovery sequence. */
static void watch_bus_off(void) {
  if (!(SJA(SR) & SR_BS)) {
    bus_off_seen = 0;
    return;
  }
  if (bus_off_seen || !(SJA(MOD) & MOD_RM)) return;
  bus_off_seen = 1;
  SJA(MOD) = mode;
}

static void set_port_a(void) {
  unsigned char cfg = MB_CONFIG, a = OUTA & ~(PA_CLOCK12 | PA_CAN_RS | PA_CAN_EN | PA_CAN_NSTB);
  if (!(cfg & CFG_11MHZ)) a |= PA_CLOCK12;
  if (cfg & CFG_RS) a |= PA_CAN_RS;
  if (cfg & CFG_EN) a |= PA_CAN_EN;
  if (cfg & CFG_NSTB) a |= PA_CAN_NSTB;
  OUTA = a;
  OEA |= PA_CLOCK12 | PA_CAN_RS | PA_CAN_EN | PA_CAN_NSTB;
}

static unsigned char send_state, send_seq, send_tick;

static void controller_init(void) {
  unsigned char i, cfg = MB_CONFIG;
  SJA(MOD) = MOD_RM;
  SJA(CDR) = 0xC8; /* PeliCAN, comparator bypass, no clock output */
  set_port_a();
  SJA(BTR0) = MB_BTR0;
  SJA(BTR1) = MB_BTR1;
  for (i = 0; i < 4; ++i) {
    SJA(WIN + i) = MB_ACR[i];
    SJA(WIN + 4 + i) = MB_AMR[i];
  }
  SJA(OCR) = 0xDA; /* normal output, push-pull */
  SJA(RXERR) = 0;
  SJA(TXERR) = 0;
  SJA(IER) = IR_ERRORS;
  mode = 0;
  if (cfg & CFG_LOM) mode |= MOD_LOM;
  if (cfg & CFG_SINGLE) mode |= MOD_AFM;
  SJA(MOD) = mode;
  (void)SJA(IR);
  send_state = 0;
  events = 0;
  running = !(SJA(MOD) & MOD_RM);
  event(running ? REC_RESTARTED : REC_NO_CONTROLLER);
  MB_COMMAND = running ? COMMAND_READY : COMMAND_FAILED;
}

/* The send frame at 0x80: taken when 0x77 is new and equals byte 7. A
   frame the controller cannot put on the bus (not set up, listening only,
   bus-off, or not out within 50 ms) is reported as a type-7 record and
   refused by setting 0x77 back to the last number done, which makes the
   host send it again. */
static void refuse(void) {
  event(REC_NOT_SENT);
  MB_SEND_GO = MB_SEND_DONE;
  send_state = 0;
}

static void send_frame(void) {
  unsigned char sr, info, n, i;
  if (send_state == 0) {
    send_seq = MB_SEND_GO;
    if (send_seq == MB_SEND_DONE || send_seq != MB_FRAME[FRAME_SEQ]) return;
    if (!running || (mode & MOD_LOM) || (SJA(SR) & SR_BS) || (SJA(MOD) & MOD_RM)) {
      refuse();
      return;
    }
    if (!(SJA(SR) & SR_TBS)) return;
    info = MB_FRAME[0];
    n = MB_FRAME[FRAME_COUNT];
    if (n > 8) n = 8;
    SJA(WIN) = info;
    if (info & 0x80) {
      for (i = 0; i < 4; ++i) SJA(WIN + 1 + i) = MB_FRAME[1 + i];
      for (i = 0; i < n; ++i) SJA(WIN + 5 + i) = MB_FRAME[FRAME_DATA + i];
    } else {
      /* The host shifts a standard identifier into bytes 3 and 4. */
      SJA(WIN + 1) = MB_FRAME[3];
      SJA(WIN + 2) = MB_FRAME[4];
      for (i = 0; i < n; ++i) SJA(WIN + 3 + i) = MB_FRAME[FRAME_DATA + i];
    }
    SJA(CMR) = CMD_TR;
    send_tick = tick;
    send_state = 1;
    return;
  }
  sr = SJA(SR);
  if (sr & SR_TBS) {
    if (sr & SR_TCS) {
      MB_SEND_DONE = send_seq;
      send_state = 0;
    } else {
      refuse();
    }
    return;
  }
  if (send_state == 1 && (unsigned char)(tick - send_tick) >= SEND_TIMEOUT) {
    SJA(CMR) = CMD_AT;
    send_state = 2;
  }
}

void main(void) {
  unsigned char last_tick, ir;
  MB_READY = 0xFF;
  MB_COMMAND = 0;
  SJA(MOD) = MOD_RM;
  qb_init(2);
  qb_start_ticks();
  last_tick = tick;
  MB_SEND_DONE = MB_SEND_GO;
  MB_READY = 0;
  MB_COMMAND = COMMAND_READY;
  for (;;) {
    if (MB_COMMAND == COMMAND_INIT) controller_init();
    if (running) {
      while (SJA(SR) & SR_RBS) take_frame();
      ir = SJA(IR);
      if ((ir & IR_ERRORS) && events < 255) ++events;
    }
    send_frame();
    if (tick != last_tick) {
      last_tick = tick;
      if (running) {
        report_events();
        watch_bus_off();
      }
      qb_poll();
    }
  }
}
