; Watches $D011 bit 7, bit 8 of the raster line, for a number of frames with interrupts
; off: counts the changes from 0 to 1 and from 1 to 0, and records the highest low byte
; of the line ($D012) read while the bit was set.
;
; Results: rises at $C000, falls at $C001, that highest low byte at $C002; $A5 at $02
; when done.

.include "basic_header.inc"

rises   = $C000
falls   = $C001
high    = $C002
FRAMES  = 20

        sei
        lda #0
        sta rises
        sta falls
        sta high
        sta $02
        ldx #FRAMES
        lda $D011
        and #$80
        sta $FB                 ; the bit as last seen
watch:  lda $D011
        and #$80
        cmp $FB
        beq same
        sta $FB
        cmp #$80
        bne fell
        inc rises
        dex
        beq done
        bne watch
fell:   inc falls
        jmp watch
same:   cmp #$80
        bne watch
        lda $D012
        cmp high
        bcc watch
        sta high
        jmp watch
done:   lda #$A5
        sta $02
        cli
        rts
