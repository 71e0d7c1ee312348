; CIA 2's timer A runs continuously with a latch of 9851 (one underflow every 9,852
; cycles, 100 a second at the PAL clock) and its interrupt enabled: every underflow is
; an NMI. The handler counts them and reads $DD0D, which lets the NMI line go again.
;
; Results: the 16-bit NMI count at $C000.

.include "basic_header.inc"

count   = $C000
LATCH   = 9851

        sei
        lda #<handler
        sta $0318
        lda #>handler
        sta $0319
        lda #0
        sta count
        sta count+1
        lda #<LATCH
        sta $DD04
        lda #>LATCH
        sta $DD05
        lda #$81
        sta $DD0D               ; timer A's interrupt on
        lda #$11
        sta $DD0E               ; load the latch and start, continuous
        cli
        rts

handler:
        pha
        inc count
        bne :+
        inc count+1
:       lda $DD0D
        pla
        rti
